// Entry point of game565 and game555, which differ only in QORB_PACKING.
#include "shell/entry.h"
#include "shell/executable_packing.h"

int main() {
    UseExecutablePacking();
    return GameMain();
}
