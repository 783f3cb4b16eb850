#pragma once
// A window that takes URLs dropped on it: data in the registered format
// "UniformResourceLocator" or, failing that, plain text.

#include <windows.h>
#include <ole2.h>

#include "framework/AStr.h"

class DropWin : public IDropTarget {
public:
    DropWin() = default;
    DropWin(const DropWin&) = delete;
    DropWin& operator=(const DropWin&) = delete;
    virtual ~DropWin() = default;

    // The URL in the data object, "" when it holds none (DroppedUrl).
    static AStr UrlIn(IDataObject* data);

    // IUnknown: the window owns this object; the counts only keep OLE honest.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

protected:
    // Whether a drop is welcome now.
    virtual bool acceptsDrop() const = 0;
    virtual void dropped(const AStr& url) = 0;

private:
    static bool hasUrl(IDataObject* data);
    ULONG refs_ = 1;
    bool offered_ = false;  // the dragged data holds a URL format
};
