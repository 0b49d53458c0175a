// Owners for Win32 handles, shared by both programs: one small unique_handle template and the
// aliases for kernel, file, search, registry and library handles.
#pragma once

#include <windows.h>

#include <utility>

namespace lvc {

// Owns one handle; Traits give the handle type, its empty value and how to close it.
template <typename Traits>
class unique_handle {
public:
    using pointer = typename Traits::pointer;

    unique_handle() noexcept = default;
    explicit unique_handle(pointer value) noexcept : value_(value) {}
    ~unique_handle() { reset(); }

    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    // Closes the value held so far, then takes `value`.
    void reset(pointer value = Traits::invalid()) noexcept
    {
        const pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    [[nodiscard]] pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
    [[nodiscard]] pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

private:
    pointer value_ = Traits::invalid();
};

template <typename T, auto Close, T Invalid = T{}>
struct HandleTraits {
    using pointer = T;
    static constexpr pointer invalid() noexcept { return Invalid; }
    static void close(pointer value) noexcept { Close(value); }
};

struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer value) noexcept { ::CloseHandle(value); }
};

struct FindHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer value) noexcept { ::FindClose(value); }
};

using unique_kernel_handle = unique_handle<HandleTraits<HANDLE, ::CloseHandle>>;
using unique_file = unique_handle<FileHandleTraits>;
using unique_find = unique_handle<FindHandleTraits>;
using unique_hkey = unique_handle<HandleTraits<HKEY, ::RegCloseKey>>;
using unique_module = unique_handle<HandleTraits<HMODULE, ::FreeLibrary>>;

}  // namespace lvc
