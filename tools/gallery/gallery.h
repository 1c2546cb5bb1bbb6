#pragma once
// The gallery's pages and how they are built and rendered (see main.cpp for how
// to add a page).
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/controls.h"

// A page: its controls come from a text form source and from a build function, its
// drawings from a paint function; any may be left out. The page is Width x Height
// pixels on a clBtnFace background; the paint function draws first (once: the
// picture is kept), the controls lie above. The controls are live in the window:
// what is only a picture of a state (a dropped list, a menu) belongs to the paint
// function, a control shown in a state (hot, pressed) keeps it until the user
// moves, clicks or focuses.
struct TGalleryPage {
  std::string Name;          // the tab caption and the picture's file name (<Name>.png)
  int Width = 640;
  int Height = 480;
  // "object Page: TForm ... end": the controls of the page, as children of the root.
  std::string FormSource;
  std::function<void(TCanvas* Canvas, const TRect& Client)> Paint;
  // Adds controls made in code to the page's host (which has its window by then),
  // after those of the form source.
  std::function<void(TWinControl* Host)> Build;
};

// A control of a built page by name (searched among the host's children at any depth).
TControl* FindGalleryControl(TWinControl* Host, const std::string& Name);

// Registers a page at start-up: `static TGalleryPageRegistrar reg{{...}};` in the
// page's source file.
struct TGalleryPageRegistrar {
  explicit TGalleryPageRegistrar(TGalleryPage Page);
};

// Every registered page, by name.
std::vector<const TGalleryPage*> GalleryPages();
const TGalleryPage* FindGalleryPage(const std::string& Name);

// Builds a page into a host control (owned by Owner, placed on Parent when given,
// else on a hidden form of Owner's): the paint box, the controls of the page's form
// source and of its build function. A form source that cannot be read raises the
// reader's exception.
TWinControl* BuildGalleryPage(const TGalleryPage& Page, TComponent* Owner, TWinControl* Parent);

// The gallery window: a page control with a tab per page, each holding the page
// built live (owned by Owner).
TCustomForm* CreateGalleryWindow(TComponent* Owner);

// Reads a text form source (UTF-8) into a new form owned by Owner: the root is made
// of the class it names when that is a registered form class, else read into a
// plain form. An unreadable file raises EFOpenError, a bad source (a root of a class
// nobody registered included) the reader's exception.
TCustomForm* LoadFormFile(const std::string& FileName, TComponent* Owner);
// A host of the form's client size and colour, with the form's controls moved
// onto it (for rendering a form without its window frame).
TWinControl* HostFormControls(TCustomForm* Form, TComponent* Owner);

// Paints a control and its children offscreen into a bitmap of its size, and
// writes it as a PNG file (EFCreateError when the file cannot be written).
void RenderControlToPng(TWinControl* Control, const std::string& FileName);
// The page rendered into a new bitmap the caller frees (for tests).
TBitmap* RenderGalleryPage(const TGalleryPage& Page);
