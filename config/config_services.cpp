#include "config/config_services.h"

INT_PTR CConfigWizard::DoModal(HWND) {
    return IDCANCEL;
}
