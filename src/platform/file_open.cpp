#include "platform/file_open.h"

namespace plat {

void (*BeforeOpen)(const char* fileName) = nullptr;

}  // namespace plat
