#include "play/play_globals.h"

#include "bricks/brick_field.h"

void ResetPlayGlobals() {
#define QORB_RESET_SCALAR(type, name, value, traced) name = AtStart::name;
#define QORB_RESET_RECORD(type, name) name = type{};
    QORB_PLAY_GLOBALS(QORB_RESET_SCALAR, QORB_RESET_RECORD)
#undef QORB_RESET_SCALAR
#undef QORB_RESET_RECORD
    for (auto& column : BrickField)
        for (auto& cell : column) cell = BrickCell{};
}
