#include "testcam/enumerators.h"

#include <new>

#include "testcam/dll_objects.h"
#include "testcam/media_types.h"

namespace {

// One snapshot shared by an enumerator and its clones.
template <typename Item> struct Snapshot {
    LONG refs = 1;
    std::vector<Item> items;
};

template <typename Interface, typename Item> class Enumerator : public Interface {
public:
    Enumerator(IUnknown* owner, Snapshot<Item>* items, ULONG position)
        : owner_(owner), items_(items), position_(position) {
        owner_->AddRef();
        DllObjects_Add();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == InterfaceId()) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0)
            delete this;
        return ULONG(n);
    }

    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && position_ < items_->items.size()) {
            if (!Give(items_->items[position_], &out[n]))
                break;
            ++n;
            ++position_;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = items_->items.size() - position_;
        if (count > left) {
            position_ = ULONG(items_->items.size());
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Interface** out) override {
        if (!out)
            return E_POINTER;
        InterlockedIncrement(&items_->refs);
        *out = new (std::nothrow) Enumerator(owner_, items_, position_);
        if (!*out) {
            ReleaseItems();
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

protected:
    virtual ~Enumerator() {
        ReleaseItems();
        owner_->Release();
        DllObjects_Remove();
    }

private:
    static REFIID InterfaceId();
    static bool Give(const Item& item, Item* out);
    static void Free(Item& item);
    void ReleaseItems() {
        if (InterlockedDecrement(&items_->refs) == 0) {
            for (Item& item : items_->items)
                Free(item);
            delete items_;
        }
    }

    LONG refs_ = 1;
    IUnknown* const owner_;
    Snapshot<Item>* const items_;
    ULONG position_;
};

using MediaTypeEnum = Enumerator<IEnumMediaTypes, AM_MEDIA_TYPE*>;
using PinEnum = Enumerator<IEnumPins, IPin*>;

template <> REFIID MediaTypeEnum::InterfaceId() {
    return IID_IEnumMediaTypes;
}
template <> bool MediaTypeEnum::Give(AM_MEDIA_TYPE* const& item, AM_MEDIA_TYPE** out) {
    auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!mt)
        return false;
    if (!MediaType_Copy(*item, mt)) {
        FreeMediaType(mt);
        return false;
    }
    *out = mt;
    return true;
}
template <> void MediaTypeEnum::Free(AM_MEDIA_TYPE*& item) {
    FreeMediaType(item);
}

template <> REFIID PinEnum::InterfaceId() {
    return IID_IEnumPins;
}
template <> bool PinEnum::Give(IPin* const& item, IPin** out) {
    item->AddRef();
    *out = item;
    return true;
}
template <> void PinEnum::Free(IPin*&) {} // the owner holds the pins

} // namespace

HRESULT CreateMediaTypeEnum(IUnknown* owner, std::vector<AM_MEDIA_TYPE> types, IEnumMediaTypes** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    auto* snapshot = new (std::nothrow) Snapshot<AM_MEDIA_TYPE*>;
    bool ok = snapshot != nullptr;
    for (AM_MEDIA_TYPE& mt : types) {
        auto* copy = ok ? static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE))) : nullptr;
        if (copy) {
            *copy = mt; // takes over the format block
            snapshot->items.push_back(copy);
        } else {
            FreeMediaTypeContents(mt);
            ok = false;
        }
    }
    if (ok)
        *out = new (std::nothrow) MediaTypeEnum(owner, snapshot, 0);
    if (!*out && snapshot) {
        for (AM_MEDIA_TYPE* mt : snapshot->items)
            FreeMediaType(mt);
        delete snapshot;
    }
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreatePinEnum(IUnknown* owner, std::vector<IPin*> pins, IEnumPins** out) {
    if (!out)
        return E_POINTER;
    auto* snapshot = new (std::nothrow) Snapshot<IPin*>;
    *out = nullptr;
    if (snapshot) {
        snapshot->items = std::move(pins);
        *out = new (std::nothrow) PinEnum(owner, snapshot, 0);
        if (!*out)
            delete snapshot;
    }
    return *out ? S_OK : E_OUTOFMEMORY;
}
