#include <cstddef>
#include <cstdint>

#include "fuzz_file.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "sound/voice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteFuzzFile(data, size)) return 0;
    plat::headless::Reset();
    plat::SoundCreate();
    // Budgets from tiny to the largest the game uses, chosen by the input's length.
    const uint32_t budgets[] = {16, 32, 64, 300, 4096, 246960, 6879600};
    Voice voice;
    if (LoadVoice(FuzzFilePath().c_str(), voice, budgets[size % 7])) {
        PlayVoice(voice);
        WaitVoice(voice);
    }
    plat::SoundRelease();
    return 0;
}
