#pragma once
#include <windows.h>

namespace quiltor {
class TitleStrip {};
}  // namespace quiltor
