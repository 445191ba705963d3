#pragma once

#include <string>

// Turns a manifest or config name ("folder\file.dat", backslash-separated; "/" counts as a
// separator too) into a native path below `root` (which ends with a separator). Refuses names
// that could leave the root or that no file can carry: empty, absolute, a drive letter, a "." or
// ".." component, an empty component, or a NUL. Every place that turns a name into a path uses it.
bool ResolveResourcePath(const std::string& root, const std::string& name, std::string& path);

// The same test without a root.
bool IsSafeResourceName(const std::string& name);
