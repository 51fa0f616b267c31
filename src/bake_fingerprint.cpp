#include "corvane/bake_fingerprint.hpp"
