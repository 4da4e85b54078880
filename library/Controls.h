// Core stand-ins for the window-system classes that non-visual code refers to:
// the font, controls, forms, data modules, menus and icons. The gui half derives
// its real widgets' components from these so that editor registrations, owner-form
// look-ups and component searches work the same with or without Qt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/Classes.h"

namespace ortello {

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
const TTypeInfo* TypeTFontStyle();
const TTypeInfo* TypeTFontStyles();

class TFont : public TPersistent {
    ORTELLO_CLASS()
public:
    const std::string& Name() const { return name_; }
    void SetName(std::string_view v) { name_.assign(v); }
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    int32_t Color() const { return color_; }
    void SetColor(int32_t v) { color_ = v; }
    uint8_t Charset() const { return charset_; }
    void SetCharset(uint8_t v) { charset_ = v; }
    // Bit mask of TFontStyle ordinals.
    uint32_t Style() const { return style_; }
    void SetStyle(uint32_t v) { style_ = v & 0xF; }

    void Assign(const TPersistent* source) override;

private:
    std::string name_ = "MS Sans Serif";
    int size_ = 8;
    int32_t color_ = 0;
    uint8_t charset_ = 1;  // DEFAULT_CHARSET
    uint32_t style_ = 0;
};

class TControl : public TComponent {
    ORTELLO_CLASS()
public:
    using TComponent::TComponent;
};

class TWinControl : public TControl {
    ORTELLO_CLASS()
public:
    using TControl::TControl;
};

// Forms and data modules announce themselves to the screen list while they live,
// in creation order, so that components can be found by class across windows.
class TCustomForm : public TWinControl {
    ORTELLO_CLASS()
public:
    explicit TCustomForm(TComponent* owner = nullptr);
    ~TCustomForm() override;
    // Set by designers; the run-time program never designs.
    bool Modified() const { return modified_; }
    void SetModified(bool v) { modified_ = v; }

private:
    bool modified_ = false;
};

class TForm : public TCustomForm {
    ORTELLO_CLASS()
public:
    using TCustomForm::TCustomForm;
};

class TDataModule : public TComponent {
    ORTELLO_CLASS()
public:
    explicit TDataModule(TComponent* owner = nullptr);
    ~TDataModule() override;
};

class TMenuItem : public TComponent {
    ORTELLO_CLASS()
public:
    using TComponent::TComponent;
};

class TMenu : public TComponent {
    ORTELLO_CLASS()
public:
    using TComponent::TComponent;
};

class TMainMenu : public TMenu {
    ORTELLO_CLASS()
public:
    using TMenu::TMenu;
};

class TPopupMenu : public TMenu {
    ORTELLO_CLASS()
public:
    using TMenu::TMenu;
};

class TGraphic : public TPersistent {
    ORTELLO_CLASS()
};

class TIcon : public TGraphic {
    ORTELLO_CLASS()
};

// The open forms and the data modules, each in creation order.
const std::vector<TCustomForm*>& ScreenForms();
const std::vector<TDataModule*>& ScreenDataModules();

}  // namespace ortello
