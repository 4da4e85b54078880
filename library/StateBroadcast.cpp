#include "library/StateBroadcast.h"

#include <algorithm>

namespace ortello {

namespace {
template <class C>
const TClassInfo& ComponentClass(const char* name, const TClassInfo* parent) {
    return *ClassBuilder<C>(name, parent).Factory([] { return std::unique_ptr<TObject>(new C(nullptr)); }).Build();
}
}  // namespace

const TClassInfo& TQORSystemStateController::StaticClass() {
    static const TClassInfo& info =
        ComponentClass<TQORSystemStateController>("TQORSystemStateController", &TComponent::StaticClass());
    return info;
}

const TClassInfo& TOTStateController::StaticClass() {
    static const TClassInfo& info =
        ComponentClass<TOTStateController>("TOTStateController", &TQORSystemStateController::StaticClass());
    return info;
}

const TClassInfo& TQORSystemStateClient::StaticClass() {
    using C = TQORSystemStateClient;
    static const TClassInfo& info =
        *ClassBuilder<C>("TQORSystemStateClient", &TComponent::StaticClass())
             .Factory([] { return std::unique_ptr<TObject>(new C(nullptr)); })
             .Prop("Controller", TQORSystemStateController::StaticClass().TypeInfo(), &C::Controller,
                   &C::SetController)
             .Build();
    return info;
}

const TClassInfo& TOTStateClient::StaticClass() {
    static const TClassInfo& info =
        ComponentClass<TOTStateClient>("TOTStateClient", &TQORSystemStateClient::StaticClass());
    return info;
}

TQORSystemStateController::~TQORSystemStateController() {
    TMessage m;
    m.Msg = kStateMessage;
    m.WParam = skControllerGone;
    Broadcast(m);
    clients_.clear();
}

void TQORSystemStateController::RegisterClient(TQORSystemStateClient* client) {
    if (client && std::find(clients_.begin(), clients_.end(), client) == clients_.end()) clients_.push_back(client);
}

void TQORSystemStateController::UnregisterClient(TQORSystemStateClient* client) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void TQORSystemStateController::Broadcast(TMessage& message) {
    // A copy: a handler may register, unregister or free clients.
    const std::vector<TQORSystemStateClient*> list = clients_;
    for (TQORSystemStateClient* c : list)
        if (std::find(clients_.begin(), clients_.end(), c) != clients_.end()) c->Dispatch(message);
}

void TQORSystemStateController::Broadcast(int kind, intptr_t parameter) {
    TMessage m;
    m.Msg = kStateMessage;
    m.WParam = kind;
    m.LParam = parameter;
    Broadcast(m);
}

TQORSystemStateClient::~TQORSystemStateClient() {
    if (controller_) controller_->UnregisterClient(this);
}

void TQORSystemStateClient::SetController(TQORSystemStateController* controller) {
    if (controller == controller_ || IsDesigning()) return;
    if (controller_) {
        controller_->UnregisterClient(this);
        controller_->RemoveFreeNotification(this);
    }
    controller_ = controller;
    if (controller_) {
        controller_->RegisterClient(this);
        controller_->FreeNotification(this);
    }
}

void TQORSystemStateClient::Dispatch(TMessage& message) {
    if (message.Msg == kStateMessage)
        StateMessage(message);
    else
        TComponent::Dispatch(message);
}

void TQORSystemStateClient::StateMessage(TMessage& message) {
    if (message.WParam == skControllerGone && controller_) {
        // Leave the list too: a stray kind-0 message must not leave a dangling entry.
        TQORSystemStateController* gone = controller_;
        controller_ = nullptr;
        gone->UnregisterClient(this);
    }
}

void TQORSystemStateClient::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == controller_) controller_ = nullptr;
}

void TOTStateClient::StateMessage(TMessage& message) {
    TQORSystemStateClient::StateMessage(message);
    switch (message.WParam) {
        case skCurrencyChanged:
            if (OnCurrencyChange) OnCurrencyChange(this, static_cast<int>(message.LParam & 0xFF));
            break;
        case skDiscountChanged:
            if (OnDiscountChange) OnDiscountChange(this);
            break;
        case skPartRefChanged:
            if (OnPartRefChange) OnPartRefChange(this);
            break;
        default: break;
    }
}

}  // namespace ortello
