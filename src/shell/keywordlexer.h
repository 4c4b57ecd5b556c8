#pragma once
// The keyword highlighter lives with the other highlighters of the code editors.
#include "editors/keywordlexer.h"
