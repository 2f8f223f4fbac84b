#pragma once

// Small owners for COM, for the Windows platform layer and its test driver (Windows only).

#ifndef _WIN32
#error "win32com.h is for Windows builds only"
#endif

#include <windows.h>

#include <objbase.h>

namespace pelorin::postinstall::win32 {

// Joins the calling thread to a single-threaded COM apartment for as long as it lives. A thread
// already in an apartment (a Qt GUI thread is) keeps the one it has.
class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool usable() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    const HRESULT m_result;
};

// Holds one reference to a COM object and releases it.
template <typename Interface> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    // Where a creating call stores the new reference.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&m_object);
    }

    template <typename Other> bool queryInto(ComPtr<Other>& other) const {
        return m_object && SUCCEEDED(m_object->QueryInterface(__uuidof(Other), other.put()));
    }

private:
    void reset() {
        if (m_object)
            m_object->Release();
        m_object = nullptr;
    }

    Interface* m_object = nullptr;
};

// Owns a kernel handle.
class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (m_handle)
            CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return m_handle; }

private:
    const HANDLE m_handle;
};

} // namespace pelorin::postinstall::win32
