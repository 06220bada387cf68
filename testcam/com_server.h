// What the tests' COM servers share (the virtual camera and the decoder stand-ins): the count of
// live objects and server locks behind DllCanUnloadNow (defined here, exported by each .def), a
// class factory over a creation function, and an in-process class's registry keys.
#pragma once

#include <windows.h>

#include <unknwn.h>

using ComCreator = HRESULT (*)(REFIID iid, void** out);

// A static object: its references only keep the server loaded.
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(ComCreator create) : create_(create) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    const ComCreator create_;
};

// CLSID\{clsid} named `name`, served by the module holding this code.
HRESULT ComServer_Register(const CLSID& clsid, const wchar_t* name);
HRESULT ComServer_Unregister(const CLSID& clsid);
