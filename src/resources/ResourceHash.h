#pragma once

#include <string>

// The RESOURCE_HASH handed to the game: R + "version.txt" is loaded (LoadManifest, with its trace
// lines), its records are sorted stably by name in ordinal order, their md5 fields are
// concatenated without separator and the upper-case hexadecimal MD5 of that text is the result.
// Empty text when `rootFolder` (R, with a trailing separator) is empty or version.txt cannot be
// read; a readable file without usable lines gives the MD5 of empty input.
std::string ComputeResourceHash(const std::string& rootFolder);
