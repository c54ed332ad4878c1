// Must not build: the core knows nothing of the window toolkit.
#include <QWidget>
