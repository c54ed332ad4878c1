// Must not build: the command line calls the programmer, never the window's presenter.
#include "dialog/KorvelDlg.h"
