// The INI form of persistent objects: one numbered section per object, the
// registry of INI routines per class, and property text conversion.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "library/Persistent.h"
#include "library/SectionIniFile.h"

namespace ortello {

// Writes obj into the view. With no section given, a new section numbered
// sectionNo is made (and sectionNo advances). Returns whether anything was written.
using TINIWriteRoutine = std::function<bool(TQORSectionINIFile& ini, int& sectionNo, TINISection* section,
                                            TPersistent& obj)>;
// Reads obj from section sectionNo of the view.
using TINIReadRoutine = std::function<void(TQORSectionINIFile& ini, int sectionNo, TPersistent& obj)>;

class TINISpecialProp : public TQorPersistent {
    ORTELLO_CLASS()
public:
    const TClassInfo* Class = nullptr;
    TINIWriteRoutine Write;
    TINIReadRoutine Read;
};

// Kept so that a class comes after its ancestors: the last match is the most derived.
class TINISpecialPropList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    TINISpecialPropList() : TQorPersistList(true) {}
    // Replaces an earlier registration of the same class.
    void Register(const TClassInfo& cls, TINIReadRoutine read, TINIWriteRoutine write);
    // The most derived registered class that cls equals or descends from.
    const TINISpecialProp* Find(const TClassInfo& cls) const;
};

// Two lists: classes of the persistence library (TQorPersistent and below) and the rest.
class TINISpecialProps {
public:
    void Register(const TClassInfo& cls, TINIReadRoutine read, TINIWriteRoutine write);
    const TINISpecialProp* Find(const TClassInfo& cls) const;

private:
    TINISpecialPropList persistent_;
    TINISpecialPropList others_;
};

TINISpecialProps& INISpecialProps();
void RegisterINISpecialProp(const TClassInfo& cls, TINIReadRoutine read, TINIWriteRoutine write);
// TPersistent, TStrings, TQorPersistent and TComponent, in that order; called at start-up.
void RegisterINISpecialProps();

// The generic writer: "Type" and one key per stored published property; nested
// persistent objects through their registered routine. Returns the section written.
TINISection& WriteObjectINI(TQORSectionINIFile& ini, int& sectionNo, TINISection* section, TPersistent& obj,
                            std::string_view title);
// The generic reader (no AfterLoad). False when the section does not exist.
bool ReadObjectINI(TQORSectionINIFile& ini, int sectionNo, TPersistent& obj);

// The property's value as text: numbers in decimal, enumerations by identifier,
// Booleans "0"/"1", sets "[a,b]". Raises EConvertError for kinds without text.
std::string GetPropText(const TObject& obj, const TPropInfo& prop);
// The reverse; raises EConvertError when the text does not convert.
void SetPropText(TObject& obj, const TPropInfo& prop, std::string_view text);
// "ContactInfo.CompanyName" -> "Contact Info.Company Name".
std::string SpacedPropName(std::string_view dotted);

}  // namespace ortello
