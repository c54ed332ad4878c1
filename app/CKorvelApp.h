#pragma once

namespace korvel {

// The application: runs the main dialog modally and then lets the program end.
class CKorvelApp {
  public:
    // Returns false: the program has no message loop of its own after the dialog.
    bool InitInstance();
};

}  // namespace korvel
