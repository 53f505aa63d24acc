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

#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

// Asks the system to back the whole 2 MB pages of [data, data + bytes) with huge pages when the
// memory is first touched: far fewer page faults for the large tables of the sensitivities.
void PreferHugePages(const void* data, double bytes);

// Memory that starts as zeros without being written: calloc hands out a large block as fresh
// pages, so each thread faults in the part it writes first instead of one thread zeroing it all.
// Elements are default-initialised: floats stay the zeros they are.
template <class T>
struct CZeroedAllocator {
    using value_type = T;
    CZeroedAllocator() = default;
    template <class U>
    CZeroedAllocator(const CZeroedAllocator<U>&)
    {
    }
    T* allocate(std::size_t n)
    {
        void* p = std::calloc(n, sizeof(T));
        if (!p)
            throw std::bad_alloc();
        PreferHugePages(p, double(n) * sizeof(T));
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) { std::free(p); }
    template <class U>
    void construct(U* p)
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const CZeroedAllocator&, const CZeroedAllocator&) { return true; }
};
using CZeroedFloats = std::vector<float, CZeroedAllocator<float>>;
