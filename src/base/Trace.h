#pragma once

#include <string>

// One line of the debug trace: the text, then CR LF, to standard output in one piece. Safe from
// any thread; errors are ignored.
void TraceLine(const std::string& text);
