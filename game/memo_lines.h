// The invisible text boxes Memo1 and Memo2 as their lines: a script file read
// whole and split at CR LF, a lone LF or a lone CR, bytes kept (CP932). Any
// thread; pure apart from the file read.
#pragma once

#include <string>
#include <vector>

// Splits Text into lines; a final line break adds no empty line.
std::vector<std::string> SplitMemoLines(const std::string& Text);

// The lines of the file ("dat\\tutorial.dat" style names work); none when it
// cannot be read, so a missing script leaves its box empty.
std::vector<std::string> LoadMemoLines(const std::string& FileName);
