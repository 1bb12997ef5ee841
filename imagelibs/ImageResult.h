#pragma once
// Results of the image libraries' entry points, shared with the engine,
// which turns them into the reason a warning names. Every entry point
// returns one of these as a plain int.

namespace imagelibs {

enum Result : int {
  kOk = 0,
  kUnreadable = 1,      // the source cannot be opened or read
  kWrongSignature = 2,  // not a picture of the library's format
  kDamaged = 3,         // damaged or truncated
  kTooLarge = 4,        // over the size a help file can hold
  kNoPixels = 5,        // a zero width or height
  kNotWritten = 6,      // the bitmap could not be written
};

// Words fit for the end of a warning ("damaged or truncated picture"); an
// empty text for kOk and for numbers no library returns.
inline const char* resultText(int result) {
  switch (result) {
    case kUnreadable: return "picture cannot be read";
    case kWrongSignature: return "not a picture of its type";
    case kDamaged: return "damaged or truncated picture";
    case kTooLarge: return "picture too large";
    case kNoPixels: return "picture has no pixels";
    case kNotWritten: return "bitmap cannot be written";
    default: return "";
  }
}

}  // namespace imagelibs
