// Program-wide state changes (currency, discount schedule, part-number reference)
// broadcast from one controller to client components on any window, as message
// 46061 (WParam: kind, LParam: parameter), delivered synchronously.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "library/Classes.h"

namespace ortello {

inline constexpr unsigned kStateMessage = 46061;  // B3ED

enum TStateKind : int {
    skControllerGone = 0,
    skCurrencyChanged = 1,
    skDiscountChanged = 2,
    skPartRefChanged = 3,
};

class TQORSystemStateClient;

class TQORSystemStateController : public TComponent {
    ORTELLO_CLASS()
public:
    explicit TQORSystemStateController(TComponent* owner = nullptr) : TComponent(owner) {}
    // Tells every client (kind 0) before the list goes.
    ~TQORSystemStateController() override;

    void RegisterClient(TQORSystemStateClient* client);
    void UnregisterClient(TQORSystemStateClient* client);
    int ClientCount() const { return static_cast<int>(clients_.size()); }
    // To every registered client, in registration order.
    virtual void Broadcast(TMessage& message);
    void Broadcast(int kind, intptr_t parameter = 0);

private:
    std::vector<TQORSystemStateClient*> clients_;
};

class TQORSystemStateClient : public TComponent {
    ORTELLO_CLASS()
public:
    explicit TQORSystemStateClient(TComponent* owner = nullptr) : TComponent(owner) {}
    ~TQORSystemStateClient() override;

    TQORSystemStateController* Controller() const { return controller_; }
    void SetController(TQORSystemStateController* controller);

    void Dispatch(TMessage& message) override;

protected:
    // Kind 0 drops the controller.
    virtual void StateMessage(TMessage& message);
    void Notification(TComponent* component, TOperation operation) override;

private:
    TQORSystemStateController* controller_ = nullptr;
};

class TOTStateController : public TQORSystemStateController {
    ORTELLO_CLASS()
public:
    using TQORSystemStateController::TQORSystemStateController;
    // The currency travels as its TCurrencyType ordinal in the parameter's low byte.
    void CurrencyChanged(int currencyType) { Broadcast(skCurrencyChanged, currencyType & 0xFF); }
    void DiscountChanged() { Broadcast(skDiscountChanged); }
    void PartRefChanged() { Broadcast(skPartRefChanged); }
};

// (Sender, CurrencyType ordinal)
using TCurrencyChange = std::function<void(TObject* sender, int currencyType)>;

class TOTStateClient : public TQORSystemStateClient {
    ORTELLO_CLASS()
public:
    using TQORSystemStateClient::TQORSystemStateClient;
    TCurrencyChange OnCurrencyChange;
    TNotifyEvent OnDiscountChange;
    TNotifyEvent OnPartRefChange;

protected:
    void StateMessage(TMessage& message) override;
};

}  // namespace ortello
