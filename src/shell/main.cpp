// Entry point of game565 and game555, which differ only in QORB_PACKING, on
// every platform (a windowed Windows program starts here too).
#include "platform/platform.h"
#include "shell/entry.h"
#include "shell/executable_packing.h"

int main() {
    UseExecutablePacking();
    const ExitStatus status = GameMain();
    if (!status.Message.empty()) plat::ReportFatalError(status.Message);
    return status.Code;
}
