#include "ui/win32/DropWin.h"

#include "app/DroppedUrl.h"

namespace {

CLIPFORMAT UrlFormat() {
    static const CLIPFORMAT f = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("UniformResourceLocator"));
    return f;
}

constexpr DWORD kWholeContent = 1;  // the data itself, not an icon or thumbnail of it

FORMATETC Format(CLIPFORMAT f) { return FORMATETC{f, nullptr, kWholeContent, -1, TYMED_HGLOBAL}; }

// The text in one format, read no further than the memory block goes.
AStr UrlInFormat(IDataObject* data, CLIPFORMAT f) {
    FORMATETC fmt = Format(f);
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&fmt, &medium))) return {};
    AStr url;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        SIZE_T size = GlobalSize(medium.hGlobal);
        if (const char* p = static_cast<const char*>(GlobalLock(medium.hGlobal))) {
            url = DroppedUrl(p, size);
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return url;
}

}  // namespace

AStr DropWin::UrlIn(IDataObject* data) {
    if (!data) return {};
    AStr url = UrlInFormat(data, UrlFormat());
    return url.empty() ? UrlInFormat(data, CF_TEXT) : url;
}

bool DropWin::hasUrl(IDataObject* data) {
    if (!data) return false;
    FORMATETC url = Format(UrlFormat()), text = Format(CF_TEXT);
    return data->QueryGetData(&url) == S_OK || data->QueryGetData(&text) == S_OK;
}

HRESULT DropWin::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *out = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT DropWin::DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    offered_ = hasUrl(data);
    return DragOver(keys, at, effect);
}

HRESULT DropWin::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = offered_ && acceptsDrop() ? (*effect & (DROPEFFECT_COPY | DROPEFFECT_LINK)) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT DropWin::DragLeave() {
    offered_ = false;
    return S_OK;
}

HRESULT DropWin::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    offered_ = false;
    AStr url = acceptsDrop() ? UrlIn(data) : AStr();
    if (effect) *effect = url.empty() ? DROPEFFECT_NONE : DROPEFFECT_COPY;
    if (!url.empty()) dropped(url);
    return S_OK;
}
