// Must not build: the programmer knows nothing of the window.
#include "window/TemplateDialog.h"
