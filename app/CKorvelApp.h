#pragma once

namespace korvel {

// The application: runs the main dialog modally and then lets the program end.
class CKorvelApp {
  public:
    // Runs the main window until it is closed; the program then ends, with no message loop of
    // its own.
    void InitInstance();
};

}  // namespace korvel
