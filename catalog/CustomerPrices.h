// Customer price lists turned into discounts: a net price per part, or a
// discount percentage per discount group. Tab-separated files, no header line.
#pragma once

#include <string>
#include <string_view>

#include "catalog/Currency.h"
#include "library/ListComponents.h"

namespace ortello {

class TLOMNodeData;

class TCustomerNetPrice : public TQorPersistent {
    ORTELLO_CLASS()
public:
    double Price() const { return price_; }
    void SetPrice(double v) { price_ = v; }
    const std::string& PartNumber() const { return partNumber_; }
    void SetPartNumber(std::string_view v) { partNumber_.assign(v); }

private:
    double price_ = 0;
    std::string partNumber_;
};

class TCustomerNetPriceList : public TQORObjectList {
    ORTELLO_CLASS()
public:
    TCustomerNetPriceList() : TQORObjectList(true) {}
    const TClassInfo* ItemClass() const override { return &TCustomerNetPrice::StaticClass(); }
    TCustomerNetPrice* Item(int i) const { return static_cast<TCustomerNetPrice*>(Items(i)); }
};

class TCustomerGroupPrice : public TQorPersistent {
    ORTELLO_CLASS()
public:
    // A fraction: the file's percentage / 100.
    double Discount() const { return discount_; }
    void SetDiscount(double v) { discount_ = v; }
    const std::string& Group() const { return group_; }
    void SetGroup(std::string_view v) { group_.assign(v); }

private:
    double discount_ = 0;
    std::string group_;
};

class TCustomerGroupPriceList : public TQORObjectList {
    ORTELLO_CLASS()
public:
    TCustomerGroupPriceList() : TQORObjectList(true) {}
    const TClassInfo* ItemClass() const override { return &TCustomerGroupPrice::StaticClass(); }
    TCustomerGroupPrice* Item(int i) const { return static_cast<TCustomerGroupPrice*>(Items(i)); }
};

// Base of the two: the catalog component they apply to, and where the file is.
class TCustomerPriceComponent : public TVelmarDataListComponent {
    ORTELLO_CLASS()
public:
    explicit TCustomerPriceComponent(TComponent* owner = nullptr);
    ~TCustomerPriceComponent() override;
    TLOMNodeData* DAVNodeData() const { return nodeData_; }
    void SetDAVNodeData(TLOMNodeData* v);
    virtual TCurrencyType CurrencyType() const { return ctUSDollar; }
    // FileName when it exists, else the component's folder + FileName; empty when neither exists.
    std::string ResolveFile() const;
    // Empties the list and reads the file; a missing file leaves the list empty.
    // Unlike the start-up lists a bad line raises (EConvertError naming file and line),
    // so the command that asked for the file can refuse to go on.
    void LoadData() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    virtual void ReadLines(const std::string& bytes, const std::string& path) = 0;

private:
    TLOMNodeData* nodeData_ = nullptr;
};

class TCustomerNetPrices : public TCustomerPriceComponent {
    ORTELLO_CLASS()
public:
    explicit TCustomerNetPrices(TComponent* owner = nullptr);
    TCustomerNetPriceList* Prices() const { return static_cast<TCustomerNetPriceList*>(List()); }
    // The currency of the file's last line.
    TCurrencyType CurrencyType() const override { return currency_; }
    // Each listed part found in the catalog gets the discount that brings its
    // current price to the net price, and its discount-assigned flag.
    void ApplyNetPrices();

protected:
    std::unique_ptr<TQORObjectList> CreateList() override;
    void ReadLines(const std::string& bytes, const std::string& path) override;

private:
    TCurrencyType currency_ = ctUSDollar;
};

class TCustomerGroupPrices : public TCustomerPriceComponent {
    ORTELLO_CLASS()
public:
    explicit TCustomerGroupPrices(TComponent* owner = nullptr);
    TCustomerGroupPriceList* Groups() const { return static_cast<TCustomerGroupPriceList*>(List()); }
    const std::string& Group() const { return group_; }
    void SetGroup(std::string_view v) { group_.assign(v); }
    // Every catalog part without an assigned discount whose DiscGrps matches a
    // listed group gets that group's discount (the first listed wins) and the flag.
    void ApplyGroupDiscounts();

protected:
    std::unique_ptr<TQORObjectList> CreateList() override;
    void ReadLines(const std::string& bytes, const std::string& path) override;

private:
    std::string group_;
};

void RegisterCustomerPriceClasses();

}  // namespace ortello
