#pragma once
#include <cstdint>
#include <string>

#include "workspace/ChannelPlanes.h"

// Writes one workspace plane as a NumPy 1.0 file of shape (384, 423) in C
// order: row y, column x. Throws Exception when the file cannot be written.
void WriteNpy(const std::string& path, const std::uint8_t (&plane)[PlaneWidth][PlaneHeight]);
void WriteNpy(const std::string& path, const double (&plane)[PlaneWidth][PlaneHeight]);
