#pragma once

#include "corvane/export.hpp"

namespace corvane {}  // namespace corvane
