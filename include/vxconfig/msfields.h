// The fields of the instance record as one table: per field its name, its kind, its initial
// value, the option of `vxcfg add` and `vxcfg set` that gives it and the line of the instance
// data file that carries it. The data file, `show`, `list`, the record options and the
// defaults of a record are all read from this table, and so are the names of the web server
// and database types.
#ifndef VXCONFIG_MSFIELDS_H
#define VXCONFIG_MSFIELDS_H

#include "vxconfig/msinfo.h"
#include "vxconfig/safevalue.h"

// The names of the values of a type, in the order of the values; a table ends with an entry
// whose name is null.
struct MSTypeName {
    const char* name; // as shown and as `list` and `show` print it: "Wharf", "Relda"
    const char* word; // as typed in an option and as the product names its folders: "relda"
    const char* conf; // as the configuration files write it: "Wharf", "RELDA"
};

// The web server types by eISType and the database types by eDBType.
VX_API extern const MSTypeName g_msWebServerTypes[];
VX_API extern const MSTypeName g_msDatabaseTypes[];

// The entry of value in names; null when the table has none.
VX_API const MSTypeName* MSTypeOf(const MSTypeName* names, int value);
// The value whose name (or word: they differ only in letter case) is text, ignoring case; -1
// when there is none.
VX_API int MSTypeValue(const MSTypeName* names, const char* text);

enum MSFieldKind {
    MS_FIELD_TEXT,     // a name, host or other text
    MS_FIELD_PATH,     // a directory or file
    MS_FIELD_NUMBER,   // a whole number or a bit set
    MS_FIELD_PORT,     // a TCP port
    MS_FIELD_ENUM,     // a type, stored as its value; its names are the field's `names`
    MS_FIELD_PASSWORD, // a password in its stored form, never shown
    MS_FIELD_KEY,      // the merchant key in its stored form, or the marker for no key
    MS_FIELD_LIST,     // a list of texts or of name and value pairs
};

enum {
    // Taken over from an edited record by MSList::MergeCurrent; the others (captured values,
    // directive lists) stay with the stored record.
    MS_FIELD_EDITABLE = 1,
    // A text that reaches commands, scripts or file names: MSInfo::CheckValues holds it to
    // the safe values of the field's `safe` kind.
    MS_FIELD_CHECKED = 2,
    // A new instance starts with the field's `fresh` value (MSList::SetDefault).
    MS_FIELD_FRESH = 4,
};

struct MSField {
    const char* name; // the record's field name, which `show` prints: "RootPath"
    MSFieldKind kind;
    int flags; // MS_FIELD_... bits
    // The line of a record in the instance data file that carries the field (1 to 32); 0
    // when the file does not.
    int line;
    // The option of `vxcfg add` and `vxcfg set` that gives the field; null when none does.
    const char* option;
    const MSTypeName* names; // an enumeration's names; else null
    SysValueKind safe;       // with MS_FIELD_CHECKED: the kind of safe value the text must be
    // With MS_FIELD_CHECKED: a word that stands for "not chosen" and is accepted as it is.
    const char* unsetWord;
    // A number's value in a record as constructed (every text starts empty, every list
    // without elements), and with MS_FIELD_FRESH the one a new instance starts with.
    int initial;
    int fresh;

    // Access by kind: texts (text, path, password, key) through text; numbers, ports and
    // enumerations through Number and SetNumber; lists have no access here.
    ICString MSInfo::*text;
    int MSInfo::*number;
    int (*getType)(const MSInfo& info);
    void (*putType)(MSInfo& info, int value);
    // Sets the field from an option's text through the record's rule (its setter); 1 when it
    // was accepted, 0 with the field unchanged. Null for fields no option gives.
    int (*set)(MSInfo& info, const char* value);

    bool IsText() const { return text != nullptr; }
    bool IsNumber() const { return number != nullptr || getType != nullptr; }
    int Number(const MSInfo& info) const { return number ? info.*number : getType(info); }
    void SetNumber(MSInfo& info, int value) const {
        if (number)
            info.*number = value;
        else
            putType(info, value);
    }
};

// Every field of MSInfo, in the order of its declaration; ends with an entry whose name is
// null.
VX_API extern const MSField g_msFields[];
// The fields a record of the instance data file carries, in the order of its lines; ends with
// null.
VX_API const MSField* const* MSRecordLines();
// The field called name (exactly); null when there is none.
VX_API const MSField* MSFindField(const char* name);

#endif
