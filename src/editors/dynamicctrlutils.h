#pragma once
// The property panel beside each diagram and its building blocks.
#include "codeeditors.h"
