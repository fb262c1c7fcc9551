#include "app/win32/property_sheet.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstddef>
#include <cstring>

#include "app/win32/page_procedures.h"

namespace {

struct PageDescription {
  const wchar_t* templateName;
  const wchar_t* title;
  DLGPROC procedure;
};

constexpr std::array<PageDescription, 4> pageDescriptions{{
    {L"MAIN", L"MP3-Copy", sortPageProc},
    {L"OPTIONS", L"Optionen", optionsPageProc},
    {L"CHARITY", L"Charity", infoPageProc},
    {L"SUPPORT", L"Support", infoPageProc},
}};

}  // namespace

void showPropertySheet(HINSTANCE instance) {
  // The page records in their first, shortest form. The sheet steps through
  // the array by each record's dwSize, so the records lie packed at that
  // stride rather than at sizeof(PROPSHEETPAGEW).
  // PROPSHEETPAGEW_V1_SIZE, spelled so that it is a constant expression.
  constexpr std::size_t recordSize =
      offsetof(PROPSHEETPAGEW, pcRefParent) + sizeof(PROPSHEETPAGEW::pcRefParent);
  static_assert(recordSize % alignof(PROPSHEETPAGEW) == 0);
  alignas(PROPSHEETPAGEW) std::array<unsigned char, recordSize * pageDescriptions.size()> records{};
  for (std::size_t i = 0; i < pageDescriptions.size(); ++i) {
    PROPSHEETPAGEW page{};
    page.dwSize = recordSize;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = instance;
    page.pszTemplate = pageDescriptions[i].templateName;
    page.pfnDlgProc = pageDescriptions[i].procedure;
    page.pszTitle = pageDescriptions[i].title;
    page.lParam = 0;
    std::memcpy(records.data() + i * recordSize, &page, recordSize);
  }

  PROPSHEETHEADERW header{};
  header.dwSize = PROPSHEETHEADERW_V1_SIZE;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
  header.hwndParent = nullptr;
  header.hInstance = instance;
  header.pszCaption = L"Liedkorb 2.7";
  header.nPages = static_cast<UINT>(pageDescriptions.size());
  header.nStartPage = 0;
  header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEW>(records.data());
  // What the sheet returns does not matter: the settings are saved however
  // it was closed.
  ::PropertySheetW(&header);
}
