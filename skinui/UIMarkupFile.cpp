// Loading a skin file into the markup document.
#include "skinui/UIMarkup.h"
#include "skinui/UISkinFile.h"

bool CUIMarkup::LoadFromFile(const char16_t* pstrFilename, int encoding)
{
    Release();
    if (!pstrFilename)
        return Fail(u"Error opening file");
    std::vector<uint8_t> bytes;
    switch (UIReadSkinFile(pstrFilename, kMaxFileSize, bytes)) {
    case SkinReadResult::Ok:
        break;
    case SkinReadResult::OpenFileFailed:
        return Fail(u"Error opening file");
    case SkinReadResult::Empty:
        return Fail(u"File is empty");
    case SkinReadResult::TooLarge:
        return Fail(u"File too large");
    case SkinReadResult::ReadFailed:
        return Fail(u"Could not read file");
    case SkinReadResult::OpenZipFailed:
        return Fail(u"Error opening zip file");
    case SkinReadResult::NotInZip:
        return Fail(u"Could not find ziped file");
    case SkinReadResult::UnzipFailed:
        return Fail(u"Could not unzip file");
    }
    return LoadFromMemory(bytes.data(), bytes.size(), encoding);
}
