#pragma once

#include <QUuid>

// The fixed identifiers of the automation surface. Every registration refers
// to them, so they never change; the interface description that the
// executable carries repeats them, and start-up checks that the two agree.

// The registered D-Bus description of the document's interface.
inline constexpr QUuid LIBID_Brewdeck{0xd9b135ce, 0x01b7, 0x4e87, 0x9f, 0x71, 0xd4, 0xba, 0x85, 0xaf, 0x12, 0x9a};
inline constexpr int kTypeLibraryMajor = 1;
inline constexpr int kTypeLibraryMinor = 0;

// The document's interface IBrewdeck, which has no members.
inline constexpr QUuid IID_IBrewdeck{0x4d35af0c, 0xec6e, 0x4031, 0x9d, 0x54, 0x4f, 0x6c, 0x61, 0xce, 0xb3, 0xb7};

// The automation class "Brewdeck.Document", whose objects are documents.
inline constexpr QUuid CLSID_BrewdeckDoc{0x1354fdd9, 0x0132, 0x441b, 0xb1, 0x67, 0xc2, 0x19, 0xed, 0x16, 0xa4, 0x85};
