// Freeing DirectShow media types, for the program, the virtual camera and the tests alike.
// Header only: the virtual camera is a DLL of its own.
#pragma once

#include <dshow.h>

// Frees what a media type holds (its format block and its object) and leaves it empty.
inline void FreeMediaTypeContents(AM_MEDIA_TYPE& type) {
    if (type.pbFormat)
        CoTaskMemFree(type.pbFormat);
    if (type.pUnk)
        type.pUnk->Release();
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    type.pUnk = nullptr;
}

// Frees a media type that a DirectShow call allocated (its format block, its object, itself).
inline void FreeMediaType(AM_MEDIA_TYPE* type) {
    if (!type)
        return;
    FreeMediaTypeContents(*type);
    CoTaskMemFree(type);
}

// Owns an allocated media type and frees it when it goes.
class MediaTypeHolder {
public:
    MediaTypeHolder() = default;
    explicit MediaTypeHolder(AM_MEDIA_TYPE* type) : type_(type) {}
    ~MediaTypeHolder() { FreeMediaType(type_); }
    MediaTypeHolder(const MediaTypeHolder&) = delete;
    MediaTypeHolder& operator=(const MediaTypeHolder&) = delete;

    AM_MEDIA_TYPE* get() const { return type_; }
    AM_MEDIA_TYPE* operator->() const { return type_; }
    explicit operator bool() const { return type_ != nullptr; }
    // For a call that allocates one: frees the one held first.
    AM_MEDIA_TYPE** Receive() {
        FreeMediaType(type_);
        type_ = nullptr;
        return &type_;
    }
    AM_MEDIA_TYPE* Release() {
        AM_MEDIA_TYPE* type = type_;
        type_ = nullptr;
        return type;
    }

private:
    AM_MEDIA_TYPE* type_ = nullptr;
};
