#include "library/Controls.h"

#include <algorithm>

namespace ortello {

namespace {
std::vector<TCustomForm*>& Forms() {
    static std::vector<TCustomForm*> v;
    return v;
}
std::vector<TDataModule*>& DataModules() {
    static std::vector<TDataModule*> v;
    return v;
}
template <class T>
void Erase(std::vector<T*>& v, T* p) {
    v.erase(std::remove(v.begin(), v.end(), p), v.end());
}
}  // namespace

const TTypeInfo* TypeTFontStyle() {
    static const TTypeInfo* t = MakeEnumType("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
    return t;
}

const TTypeInfo* TypeTFontStyles() {
    static const TTypeInfo* t = MakeSetType("TFontStyles", TypeTFontStyle());
    return t;
}

const TClassInfo& TFont::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TFont>("TFont", &TPersistent::StaticClass())
             .Prop("Charset", TypeTFontCharset(), &TFont::Charset, &TFont::SetCharset)
             .Prop("Color", TypeTColor(), &TFont::Color, &TFont::SetColor)
             .Prop("Name", TypeTFontName(), &TFont::Name, &TFont::SetName)
             .Prop("Size", TypeInteger(), &TFont::Size, &TFont::SetSize)
             .Prop("Style", TypeTFontStyles(), &TFont::Style, &TFont::SetStyle)
             .Build();
    return info;
}

void TFont::Assign(const TPersistent* source) {
    if (const auto* f = dynamic_cast<const TFont*>(source)) {
        name_ = f->name_;
        size_ = f->size_;
        color_ = f->color_;
        charset_ = f->charset_;
        style_ = f->style_;
        return;
    }
    TPersistent::Assign(source);
}

#define ORTELLO_COMPONENT_CLASS(C, Parent)                                                        \
    const TClassInfo& C::StaticClass() {                                                          \
        static const TClassInfo& info = *ClassBuilder<C>(#C, &Parent::StaticClass())              \
                                             .Factory([] { return std::unique_ptr<TObject>(new C(nullptr)); }) \
                                             .Build();                                            \
        return info;                                                                              \
    }

ORTELLO_COMPONENT_CLASS(TControl, TComponent)
ORTELLO_COMPONENT_CLASS(TWinControl, TControl)
ORTELLO_COMPONENT_CLASS(TCustomForm, TWinControl)
ORTELLO_COMPONENT_CLASS(TForm, TCustomForm)
ORTELLO_COMPONENT_CLASS(TDataModule, TComponent)
ORTELLO_COMPONENT_CLASS(TMenuItem, TComponent)
ORTELLO_COMPONENT_CLASS(TMenu, TComponent)
ORTELLO_COMPONENT_CLASS(TMainMenu, TMenu)
ORTELLO_COMPONENT_CLASS(TPopupMenu, TMenu)

#undef ORTELLO_COMPONENT_CLASS

const TClassInfo& TGraphic::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TGraphic>("TGraphic", &TPersistent::StaticClass()).Abstract().Build();
    return info;
}

const TClassInfo& TIcon::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TIcon>("TIcon", &TGraphic::StaticClass()).Build();
    return info;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) { Forms().push_back(this); }
TCustomForm::~TCustomForm() { Erase(Forms(), this); }

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) { DataModules().push_back(this); }
TDataModule::~TDataModule() { Erase(DataModules(), this); }

const std::vector<TCustomForm*>& ScreenForms() { return Forms(); }
const std::vector<TDataModule*>& ScreenDataModules() { return DataModules(); }

}  // namespace ortello
