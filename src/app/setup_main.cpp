// The setup's one application object, which the library's entry runs.
#include "app/setup_app.h"

namespace {

CKestrelSetupApp theApp;

} // namespace
