#include "text/ConversionFlags.h"

namespace mirelka {

namespace {

// Code pages that take no flags at all, nor a default-character argument: ISO-2022 and
// HZ encodings, ISCII, UTF-7 and Symbol.
bool TakesNoFlags(unsigned codePage) {
    switch (codePage) {
        case 42:
        case 50220:
        case 50221:
        case 50222:
        case 50225:
        case 50227:
        case 50229:
        case 52936:
        case 65000:
            return true;
        default:
            return codePage >= 57002 && codePage <= 57011;
    }
}

}  // namespace

ConversionFlags ExactConversionFlags(unsigned codePage) {
    ConversionFlags flags;
    if (TakesNoFlags(codePage)) {
        return flags;
    }
    flags.toWide = win::kMbErrInvalidChars;
    flags.toWideRejectsInvalid = true;
    if (codePage == win::kUtf8 || codePage == win::kGb18030) {
        // Every character has a place: a lone surrogate is all that can fail.
        flags.fromWide = win::kWcErrInvalidChars;
        return flags;
    }
    flags.fromWide = win::kWcNoBestFitChars;
    flags.asksUsedDefault = true;
    return flags;
}

}  // namespace mirelka
