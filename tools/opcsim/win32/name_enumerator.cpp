#include "name_enumerator.h"

#include <new>

#include "module.h"
#include "single_interface_object.h"
#include "wide_text.h"

namespace opcsim {

namespace {

using Names = std::shared_ptr<const std::vector<std::wstring>>;

class NameEnumerator final : public SingleInterfaceObject<IEnumString, &IID_IEnumString> {
public:
    NameEnumerator(Names names, size_t at, bool null_first, bool null_pending)
        : names_(std::move(names)), at_(at), null_first_(null_first), null_pending_(null_pending) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR *out, ULONG *fetched) override {
        count_call();
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        if (fetched) *fetched = 0;
        if (null_pending_ && count > 0) {
            null_pending_ = false;
            out[0] = nullptr;
            return S_OK;
        }
        ULONG done = 0;
        for (; done < count && at_ < names_->size(); ++done, ++at_) {
            out[done] = task_string((*names_)[at_]);
            if (!out[done]) {
                while (done > 0) CoTaskMemFree(out[--done]);
                return E_OUTOFMEMORY;
            }
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        size_t left = names_->size() - at_;
        size_t moved = count < left ? count : left;
        at_ += moved;
        return moved == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        at_ = 0;
        null_pending_ = null_first_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumString **copy) override {
        if (!copy) return E_POINTER;
        *copy = new (std::nothrow) NameEnumerator(names_, at_, null_first_, null_pending_);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    Names names_;
    size_t at_;
    bool null_first_;
    bool null_pending_;
};

}  // namespace

IEnumString *make_name_enumerator(std::vector<std::wstring> names, bool null_first) {
    try {
        auto shared = std::make_shared<const std::vector<std::wstring>>(std::move(names));
        return new NameEnumerator(std::move(shared), 0, null_first, null_first);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace opcsim
