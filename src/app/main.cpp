// Entry routine and start-up order.
//
// Static initialisation runs in the order of the definitions below (one translation unit):
// first the framework's process-wide objects (none: the framework keeps no globals), then the
// start of the usage report, so that the report is on its way before wWinMain runs. The report
// record lives until the static clean-up at exit; the report thread is not waited for.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/MainDlg.h"
#include "report/UsageReport.h"

namespace {

const UsageReport g_usageReport = StartUsageReport();

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Results ignored: the dialog is shown whatever COM says.
    ::CoInitialize(nullptr);
    ::SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_NOALIGNMENTFAULTEXCEPT);

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);

    INT_PTR result;
    {
        CMainDlg dlg;
        result = dlg.DoModal(::GetActiveWindow());
    }

    ::CoUninitialize();
    return static_cast<int>(result);
}
