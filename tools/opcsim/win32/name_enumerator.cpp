#include "name_enumerator.h"

#include <new>

#include "address_space/browser.h"
#include "module.h"
#include "single_interface_object.h"
#include "wide_text.h"

namespace opcsim {

namespace {

using Names = std::shared_ptr<const std::vector<std::wstring>>;

class NameEnumerator final : public SingleInterfaceObject<IEnumString, &IID_IEnumString> {
public:
    NameEnumerator(Names names, size_t at, bool null_first, bool null_pending, int endless_type, LONG born)
        : names_(std::move(names)), at_(at), null_first_(null_first), null_pending_(null_pending),
          endless_type_(endless_type), born_(born) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR *out, ULONG *fetched) override {
        count_call();
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        if (fetched) *fetched = 0;
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        if (null_pending_ && count > 0) {
            null_pending_ = false;
            out[0] = nullptr;
            return S_OK;
        }
        ULONG done = 0;
        for (; done < count && more(); ++done, ++at_) {
            out[done] = task_string(name_at(at_));
            if (!out[done]) {
                while (done > 0) CoTaskMemFree(out[--done]);
                return E_OUTOFMEMORY;
            }
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        size_t left = endless_type_ ? count : names_->size() - at_;
        size_t moved = count < left ? count : left;
        at_ += moved;
        return moved == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        at_ = 0;
        null_pending_ = null_first_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumString **copy) override {
        if (!copy) return E_POINTER;
        *copy = nullptr;
        if (is_dead(born_)) return RPC_E_DISCONNECTED;
        *copy = new (std::nothrow) NameEnumerator(names_, at_, null_first_, null_pending_, endless_type_, born_);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    bool more() const { return endless_type_ != 0 || at_ < names_->size(); }
    std::wstring name_at(size_t at) const {
        if (at < names_->size()) return (*names_)[at];
        return widen(Browser::generated_name(endless_type_, at - names_->size() + 1));
    }

    Names names_;
    size_t at_;
    bool null_first_;
    bool null_pending_;
    int endless_type_;  // 0: the enumeration ends after the names
    LONG born_;         // the life epoch of the server object that made it
};

}  // namespace

IEnumString *make_name_enumerator(std::vector<std::wstring> names, bool null_first, int endless_type) {
    try {
        auto shared = std::make_shared<const std::vector<std::wstring>>(std::move(names));
        return new NameEnumerator(std::move(shared), 0, null_first, null_first, endless_type, life_epoch());
    } catch (...) {
        return nullptr;
    }
}

}  // namespace opcsim
