#pragma once
// Owners of OLE and Win32 resources, one type each. No Release,
// SysFreeString, VariantClear or RegCloseKey appears outside this file.

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace veldlg {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {} // cppcheck-suppress noExplicitConstructor ; = nullptr releases
    explicit ComPtr(T* p, bool addRef = true) : p_(p) { if (p_ && addRef) p_->AddRef(); }
    ComPtr(const ComPtr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept { std::swap(p_, o.p_); return *this; }
    ~ComPtr() { if (p_) p_->Release(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() { *this = nullptr; return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    T* detach() { return std::exchange(p_, nullptr); }

private:
    T* p_ = nullptr;
};

// An owned BSTR. Null and empty are the same text to every client.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view s)
        : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size())))
    {
        if (!b_) throw std::bad_alloc();
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept { std::swap(b_, o.b_); return *this; }
    ~Bstr() { SysFreeString(b_); }

    BSTR get() const { return b_; }
    BSTR* put() { SysFreeString(b_); b_ = nullptr; return &b_; }
    BSTR detach() { return std::exchange(b_, nullptr); }
    std::wstring_view view() const { return View(b_); }

    static std::wstring_view View(BSTR b) { return b ? std::wstring_view(b, SysStringLen(b)) : std::wstring_view(); }

private:
    BSTR b_ = nullptr;
};

// An owned VARIANT; copies are deep (VariantCopy).
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& o) : Variant() { Assign(o.v_); }
    Variant(Variant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
    explicit Variant(const VARIANT& o) : Variant() { Assign(o); }
    Variant& operator=(const Variant& o)
    {
        if (this != &o) Assign(o.v_);
        return *this;
    }
    Variant& operator=(Variant&& o) noexcept { std::swap(v_, o.v_); return *this; }
    ~Variant() { VariantClear(&v_); }

    static Variant FromString(std::wstring_view s)
    {
        Variant r;
        V_BSTR(&r.v_) = Bstr(s).detach();
        V_VT(&r.v_) = VT_BSTR;
        return r;
    }
    static Variant FromShort(short n)
    {
        Variant r;
        V_VT(&r.v_) = VT_I2;
        V_I2(&r.v_) = n;
        return r;
    }

    const VARIANT& get() const { return v_; }
    VARIANT* put() { VariantClear(&v_); return &v_; }
    VARTYPE vt() const { return V_VT(&v_); }
    // Hands a copy to a caller's out-parameter.
    void CopyTo(VARIANT& out) const;

private:
    void Assign(const VARIANT& o);
    VARIANT v_{};
};

class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY k) : k_(k) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& o) noexcept : k_(std::exchange(o.k_, nullptr)) {}
    RegKey& operator=(RegKey&& o) noexcept { std::swap(k_, o.k_); return *this; }
    ~RegKey() { if (k_) RegCloseKey(k_); }
    HKEY get() const { return k_; }
    HKEY* put() { *this = RegKey(); return &k_; }
    explicit operator bool() const { return k_ != nullptr; }

private:
    HKEY k_ = nullptr;
};

// An owned SAFEARRAY.
class SafeArray {
public:
    SafeArray() = default;
    explicit SafeArray(SAFEARRAY* a) : a_(a) {}
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    SafeArray(SafeArray&& o) noexcept : a_(std::exchange(o.a_, nullptr)) {}
    SafeArray& operator=(SafeArray&& o) noexcept { std::swap(a_, o.a_); return *this; }
    ~SafeArray() { if (a_) SafeArrayDestroy(a_); }
    SAFEARRAY* get() const { return a_; }
    SAFEARRAY** put() { *this = SafeArray(); return &a_; }
    SAFEARRAY* detach() { return std::exchange(a_, nullptr); }

private:
    SAFEARRAY* a_ = nullptr;
};

// Holds an SRW lock exclusively for its lifetime.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& l) : l_(l) { AcquireSRWLockExclusive(&l_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&l_); }

private:
    SRWLOCK& l_;
};


} // namespace veldlg
