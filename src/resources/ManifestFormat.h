#pragma once

#include "resources/ResoureConfigInfo.h"

#include <cstdint>
#include <string>
#include <string_view>

// The line format shared by version.txt, launcher_manifest.txt and the CDN resource config:
// lines split at runs of CR/LF, fields at runs of "=", everything trimmed, and the first blank
// line (or blank field) ends the list (or the line). Fields: name, md5, packageDir, offset,
// length, category. Pure functions, callable from any thread.
//
// Names that could leave their root folder (absolute, drive letter, "." or "..", empty component,
// NUL) are dropped right here with the trace line kUnsafeNameTracePrefix + name, so no map, list
// or manifest built from a parse ever carries one.

// The two local manifests, below the install root R.
inline constexpr const char* kVersionFileName = "version.txt";
inline constexpr const char* kLauncherManifestFileName = "launcher_manifest.txt";
// The updater's own folder below R for files being written, and, inside it, the record of the
// game files placed during the current resource run (ArrivalRecord; folded into version.txt at
// the next start when a run was cut short). No published name lies inside it: the packer refuses
// such names.
inline constexpr const char* kStagingFolderName = ".tolm-staging";
inline constexpr const char* kArrivalsFileName = "arrivals.txt";

inline constexpr const char* kUnsafeNameTracePrefix = "资源名称不安全,已忽略\t";

// Decimal integers read like the C library's wide-text conversions: leading white space and one
// sign accepted, reading stops at the first non-digit, no digits gives 0, values beyond the
// type's range saturate at its limit.
std::int64_t TextToInt64(std::string_view text);
std::int32_t TextToInt32(std::string_view text);

// Appends one record per usable line of `text`, in line order. Lines with fewer than two fields
// are skipped silently. Always true.
bool ParseResourceConfigText(const std::string& text, ResoureConfigList& list);

// Decodes a CDN config body (its byte-order mark already removed) and parses it: bodies that pass
// IsUtf8Text are decoded as UTF-8, others in the system code page. The whole body is decoded; a
// NUL byte does not cut it short. Always true.
bool ParseConfigBody(const std::string& body, ResoureConfigList& list);

// No package file holds more than this (1 TiB); a range that ends past it is not a package's.
inline constexpr std::int64_t kLargestPackageSize = std::int64_t(1) << 40;
inline constexpr const char* kConfigWithoutLinesTrace = "CDN资源配置没有可用的行";
inline constexpr const char* kUnfetchableLineTrace = "CDN资源配置的行无法下载\t";

// Whether a parsed CDN config can be acted upon: at least one record, and every record a range
// that can be fetched as written (offset >= 0, length > 0, ending within kLargestPackageSize).
// A config that fails is treated like one that could not be fetched, so nothing installed is
// deleted on its strength. Traces the reason (kConfigWithoutLinesTrace, or kUnfetchableLineTrace
// + name, offset and length of the first bad line).
bool IsFetchableConfig(const ResoureConfigList& list);

// Reads and parses a manifest file. Traces "资源配置文件路径:\t" + path before reading and
// "资源配置文件内容:\r\n" + text after a successful read. False (list untouched) when the file
// cannot be read.
bool LoadManifest(const std::string& path, ResoureConfigList& list);

// One line name + "=" + md5 + CR LF per record, in the map's (ordinal) order; other fields are not
// written. An empty map gives empty text.
std::string SerializeManifest(const ResoureConfigMap& map);

// Replaces the manifest file at `path` with SerializeManifest(map) through a temporary file and a
// rename, so a crash leaves the old or the new manifest, never half of one. An empty map writes
// nothing and leaves an old file as it is. True when a file was written.
bool SaveManifest(const std::string& path, const ResoureConfigMap& map);

// The same for text SerializeManifest gave (written even when empty), for a caller that
// serializes while it holds the map's lock instead of copying the map.
bool SaveManifestText(const std::string& path, const std::string& text);
