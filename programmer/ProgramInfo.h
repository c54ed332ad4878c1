#pragma once

namespace korvel {

// Who makes the program and where to reach them: the About box and the listing's banner.
constexpr const char kProgramTitle[] = "Korvel v3.0";
constexpr const char kWebAddress[] = "https://korvel.example.org";
constexpr const char kMailAddress[] = "korvel@example.org";

}  // namespace korvel
