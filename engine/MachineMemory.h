#pragma once

// The memory this process may still take, in bytes: the smallest of the memory the system has
// available, the room left under the limits of the process's memory cgroups (v2 and v1) and its
// address-space and data-size limits. +infinity when none of these is known.
double AvailableMemoryBytes();

// The address space this process may still map, in bytes, under its address-space and data-size
// limits; +infinity without either. Buffers that are mapped but hardly touched count here and
// not in the memory.
double AddressSpaceRoomBytes();

// The most memory this process has held (its resident set's high-water mark), in bytes; 0 when
// not known.
double PeakMemoryBytes();

// Asks the system to back the whole 2 MB pages of [data, data + bytes) with huge pages when the
// memory is first touched: far fewer page faults for the large tables of the sensitivities.
void PreferHugePages(const void* data, double bytes);
