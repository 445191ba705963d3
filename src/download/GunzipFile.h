#pragma once

#include <string>

// Unpacks the gzip file `source` into `target` (native paths). A source that is not gzip data is
// copied unchanged; concatenated gzip members are unpacked one after another, and anything else
// after a member (garbage, half a member) fails the unpack, since the range it came from then
// held more than its stream. The result is
// written beside the target and renamed into place only when the whole stream was read without
// error, so a failed unpack (truncated or corrupt data, a full disk) leaves no partial target;
// the old target, if any, then stays as it was.
bool GunzipFile(const std::string& target, const std::string& source);
