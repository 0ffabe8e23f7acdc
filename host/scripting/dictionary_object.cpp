#include "host/scripting/scripting_objects.h"

#include <cmath>
#include <list>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace vant::host::scripting {
namespace {

constexpr std::u16string_view kProgId = u"Scripting.Dictionary";

// The scripting runtime's statuses and texts, as pages test for them.
constexpr HRESULT kKeyExists = MakeHresult(0x800A01C9);
constexpr HRESULT kElementNotFound = MakeHresult(0x800A802B);
constexpr HRESULT kInvalidCall = MakeHresult(0x800A0005);
constexpr HRESULT kTypeMismatch = MakeHresult(0x800A000D);

HRESULT KeyExists() {
  return RaiseError(kKeyExists, kProgId,
                    u"This key is already associated with an element of this collection");
}
HRESULT ElementNotFound() { return RaiseError(kElementNotFound, kProgId, u"Element not found"); }

// Upper case for text comparison: ASCII, Latin-1, Greek, Cyrillic and the
// full-width Latin letters, the scripts site keys are written in.
char16_t FoldChar(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
      (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F) ||
      (c >= 0xFF41 && c <= 0xFF5A)) {
    return static_cast<char16_t>(c - 0x20);
  }
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  return c;
}

// What a key is compared by: numbers by value (1, 1.0 and true-as--1 are
// one key each, whatever their variant type), strings by text (folded in
// text mode), objects by identity. Arrays cannot be keys.
struct KeyId {
  enum class Kind { kEmpty, kNull, kNumber, kNaN, kDate, kString, kObject };
  Kind kind = Kind::kEmpty;
  double number = 0;
  std::u16string text;
  const void* object = nullptr;

  bool operator<(const KeyId& other) const {
    return std::tie(kind, number, text, object) <
           std::tie(other.kind, other.number, other.text, other.object);
  }
};

// kTypeMismatch for an array key.
HRESULT MakeKeyId(const Variant& given, bool foldCase, KeyId* id) {
  const Variant& key = given.Deref();
  *id = KeyId{};
  switch (key.vt()) {
    case VT_EMPTY:
      return S_OK;
    case VT_NULL:
      id->kind = KeyId::Kind::kNull;
      return S_OK;
    case VT_DATE:
      id->kind = KeyId::Kind::kDate;
      id->number = key.date().value;
      return S_OK;
    case VT_BSTR:
      id->kind = KeyId::Kind::kString;
      id->text = key.bstr().str();
      if (foldCase) {
        for (char16_t& c : id->text) c = FoldChar(c);
      }
      return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      // Identity is the object's IUnknown, as COM defines it.
      id->kind = KeyId::Kind::kObject;
      ComPtr<IUnknown> unknown;
      if (key.unknown() != nullptr &&
          Succeeded(key.unknown()->QueryInterface(IID_IUnknown, unknown.ReceiveVoid()))) {
        id->object = unknown.get();
      }
      return S_OK;
    }
    default:
      break;
  }
  if ((key.vt() & VT_ARRAY) != 0) return kTypeMismatch;
  id->kind = KeyId::Kind::kNumber;
  if (const HRESULT hr = VariantToR8(key, &id->number); Failed(hr)) return hr;
  // NaN is unordered; as one key of its own it keeps the index's order sound.
  if (std::isnan(id->number)) {
    id->kind = KeyId::Kind::kNaN;
    id->number = 0;
  }
  return S_OK;
}

struct Entry {
  Variant key;
  Variant item;
};

class DictionaryObject final
    : public ComObject<DictionaryObject, DispatchImpl<IScriptingDictionary>, ISupportErrorInfo> {
 public:
  HRESULT get_Item(Variant key, Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      Entry* entry = nullptr;
      // Reading a missing key adds it with an empty item, as pages expect.
      if (const HRESULT hr = FindOrAdd(key, &entry); Failed(hr)) return hr;
      *out = entry->item;
      return S_OK;
    });
  }
  HRESULT put_Item(Variant key, Variant value) override {
    return Run([&] {
      Entry* entry = nullptr;
      if (const HRESULT hr = FindOrAdd(key, &entry); Failed(hr)) return hr;
      entry->item = value.Deref();
      return S_OK;
    });
  }
  HRESULT Add(Variant key, Variant item) override {
    return Run([&] {
      KeyId id;
      if (const HRESULT hr = Identify(key, &id); Failed(hr)) return hr;
      if (index_.count(id) != 0) return KeyExists();
      Insert(std::move(id), key, item);
      return S_OK;
    });
  }
  HRESULT get_Count(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<std::int32_t>(entries_.size());
    return S_OK;
  }
  HRESULT Exists(Variant key, VARIANT_BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      KeyId id;
      if (const HRESULT hr = Identify(key, &id); Failed(hr)) return hr;
      *out = ToVariantBool(index_.count(id) != 0);
      return S_OK;
    });
  }
  HRESULT Items(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] { return Vector(&Entry::item, out); });
  }
  HRESULT Keys(Variant* out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] { return Vector(&Entry::key, out); });
  }
  HRESULT put_Key(Variant key, Variant newKey) override {
    return Run([&] {
      KeyId oldId;
      KeyId newId;
      if (const HRESULT hr = Identify(key, &oldId); Failed(hr)) return hr;
      if (const HRESULT hr = Identify(newKey, &newId); Failed(hr)) return hr;
      const auto found = index_.find(oldId);
      if (found == index_.end()) return ElementNotFound();
      if (index_.count(newId) != 0) return KeyExists();
      const auto entry = found->second;
      index_.erase(found);
      entry->key = newKey.Deref();
      index_.emplace(std::move(newId), entry);
      return S_OK;
    });
  }
  HRESULT Remove(Variant key) override {
    return Run([&] {
      KeyId id;
      if (const HRESULT hr = Identify(key, &id); Failed(hr)) return hr;
      const auto found = index_.find(id);
      if (found == index_.end()) return ElementNotFound();
      entries_.erase(found->second);
      index_.erase(found);
      return S_OK;
    });
  }
  HRESULT RemoveAll() override {
    index_.clear();
    entries_.clear();
    return S_OK;
  }
  HRESULT get_CompareMode(std::int32_t* out) override {
    if (out == nullptr) return E_POINTER;
    *out = compareMode_;
    return S_OK;
  }
  // The mode decides how keys are told apart, so it can change only while
  // the dictionary is empty. Modes above text (database) compare as text.
  HRESULT put_CompareMode(std::int32_t mode) override {
    if (mode < kBinaryCompare || !entries_.empty()) {
      return RaiseError(kInvalidCall, kProgId, u"Invalid procedure call or argument");
    }
    compareMode_ = mode;
    return S_OK;
  }
  // Enumerates the keys as they are now.
  HRESULT NewEnum(IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    return Run([&] {
      std::vector<Variant> keys;
      keys.reserve(entries_.size());
      for (const Entry& entry : entries_) keys.push_back(entry.key);
      *out = MakeVariantEnumerator(std::move(keys)).Detach();
      return S_OK;
    });
  }

  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override {
    return iid == IScriptingDictionary::kIid ? S_OK : S_FALSE;
  }

 private:
  template <class Body>
  HRESULT Run(Body&& body) {
    return Guarded(kProgId, std::forward<Body>(body));
  }

  HRESULT Identify(const Variant& key, KeyId* id) const {
    if (const HRESULT hr = MakeKeyId(key, compareMode_ != kBinaryCompare, id); Failed(hr)) {
      return RaiseError(kTypeMismatch, kProgId, u"Type mismatch");
    }
    return S_OK;
  }

  void Insert(KeyId id, const Variant& key, const Variant& item) {
    entries_.push_back(Entry{key.Deref(), item.Deref()});
    try {
      index_.emplace(std::move(id), std::prev(entries_.end()));
    } catch (...) {
      entries_.pop_back();
      throw;
    }
  }

  HRESULT FindOrAdd(const Variant& key, Entry** entry) {
    KeyId id;
    if (const HRESULT hr = Identify(key, &id); Failed(hr)) return hr;
    if (const auto found = index_.find(id); found != index_.end()) {
      *entry = &*found->second;
      return S_OK;
    }
    Insert(std::move(id), key, Variant());
    *entry = &entries_.back();
    return S_OK;
  }

  // Keys() and Items(): a zero-based variant array in insertion order.
  HRESULT Vector(Variant Entry::*part, Variant* out) const {
    std::unique_ptr<SafeArray> array =
        SafeArray::CreateVector(VT_VARIANT, 0, static_cast<std::uint32_t>(entries_.size()));
    if (!array) return RaiseError(E_OUTOFMEMORY, kProgId, u"Out of memory.");
    std::int32_t index = 0;
    for (const Entry& entry : entries_) {
      if (const HRESULT hr = array->PutElement(index++, entry.*part); Failed(hr)) return hr;
    }
    *out = Variant::Array(std::move(array));
    return S_OK;
  }

  std::int32_t compareMode_ = kBinaryCompare;
  std::list<Entry> entries_;
  // A tree, not a hash table: lookups stay logarithmic whatever keys a
  // hostile request makes a page store.
  std::map<KeyId, std::list<Entry>::iterator> index_;
};

}  // namespace

ComPtr<IScriptingDictionary> MakeDictionary() {
  return ComPtr<IScriptingDictionary>::Attach(DictionaryObject::Create().Detach());
}

ComPtr<IDispatch> CreateDictionaryObject(std::u16string_view progId) {
  if (!EqualsNoCase(progId, kProgId)) return nullptr;
  return ComPtr<IDispatch>::Attach(static_cast<IDispatch*>(MakeDictionary().Detach()));
}

}  // namespace vant::host::scripting
