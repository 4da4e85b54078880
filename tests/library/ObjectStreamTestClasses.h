// Small model classes for the object record tests.
#pragma once

#include <stdexcept>
#include <string>

#include "library/ObjectStream.h"
#include "library/Persistent.h"

namespace ortello::test {

enum class TShade { shRed, shGreen, shBlue };
const TTypeInfo* TypeTShade();
const TTypeInfo* TypeTShades();

class TTestContact : public TPersistent {
    ORTELLO_CLASS()
public:
    std::string Phone() const { return phone_; }
    void SetPhone(std::string_view v) { phone_ = std::string(v); }
    int Ext() const { return ext_; }
    void SetExt(int v) { ext_ = v; }

private:
    std::string phone_;
    int ext_ = 0;
};

// Two properties only: the byte fixtures are built on it.
class TTiny : public TQorPersistent {
    ORTELLO_CLASS()
public:
    std::string Name() const { return name_; }
    void SetName(std::string_view v) { name_ = std::string(v); }
    int Count() const {
        if (failOnWrite) throw std::runtime_error("getter failed");
        return count_;
    }
    void SetCount(int v) { count_ = v; }
    int afterLoadCalls = 0;
    bool failOnWrite = false;
    void AfterLoad() override { ++afterLoadCalls; }

private:
    std::string name_;
    int count_ = 0;
};

class TTestEntry : public TQorPersistent {
    ORTELLO_CLASS()
public:
    TTestEntry() { contact_ = new TTestContact; }
    ~TTestEntry() override { delete contact_; }

    std::string Name() const { return name_; }
    void SetName(std::string_view v) { name_ = std::string(v); }
    int Qty() const { return qty_; }
    void SetQty(int v) { qty_ = v; }
    double Price() const { return price_; }
    void SetPrice(double v) { price_ = v; }
    TShade Shade() const { return shade_; }
    void SetShade(TShade v) { shade_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    int64_t Shades() const { return shades_; }
    void SetShades(int64_t v) { shades_ = v; }
    char Code() const { return code_; }
    void SetCode(char v) { code_ = v; }
    int64_t Big() const { return big_; }
    void SetBig(int64_t v) { big_ = v; }
    uint32_t Mask() const { return mask_; }
    void SetMask(uint32_t v) { mask_ = v; }
    TStringList* Notes() const { return const_cast<TStringList*>(&notes_); }
    TTestContact* Contact() const { return contact_; }
    std::string Secret() const { return secret_; }
    void SetSecret(std::string_view v) { secret_ = std::string(v); }

private:
    std::string name_;
    int qty_ = 0;
    double price_ = 0;
    TShade shade_ = TShade::shRed;
    bool flag_ = false;
    int64_t shades_ = 0;
    char code_ = 'A';
    int64_t big_ = 0;
    uint32_t mask_ = 0;
    TStringList notes_;
    TTestContact* contact_;
    std::string secret_;
};

class TTestList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    using TQorPersistList::TQorPersistList;
    TTestList() : TQorPersistList(true) {}
    std::string Title() const { return title_; }
    void SetTitle(std::string_view v) { title_ = std::string(v); }
    void GetSignature(TSignature& s) const override { s = {'T', 'S', 'T', 'U', 0xAA, 'T', 'S', 'T'}; }

private:
    std::string title_;
};

// Another signature, for the mismatch texts.
class TOtherList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    TOtherList() : TQorPersistList(true) {}
    explicit TOtherList(bool owns) : TQorPersistList(owns) {}
    void GetSignature(TSignature& s) const override { s = {'O', 'T', 'H', 'U', 0xAA, 'H', 'T', 'O'}; }
};

void RegisterTestClasses();

}  // namespace ortello::test
