#pragma once
#include <windows.h>

namespace quiltor {
class DataPagesView {};
}  // namespace quiltor
