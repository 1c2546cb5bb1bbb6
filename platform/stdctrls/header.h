#pragma once
// Header controls: a row of captioned sections above columns of a list.
// THeaderControl keeps its sections as a collection (text, width, alignment),
// draws them as raised buttons and lets the user drag a section's right edge to
// resize it (OnSectionTrack while dragging, OnSectionResize at the end) or click a
// section (OnSectionClick). THeader is the older form: the section captions as
// strings and a width per section, resized the same way (OnSized at the end).
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/core/filer.h"
#include "platform/core/strings.h"

class THeaderControl;

class THeaderSection : public TCollectionItem {
  DTU_CLASS(THeaderSection, TCollectionItem)
public:
  THeaderSection() = default;
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // The left edge: the widths of the sections before this one.
  int Left() const;
  int Right() const { return Left() + FWidth; }
  void Assign(TPersistent* Source) override;

private:
  std::string FText;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
};

class THeaderSections : public TCollection {
  DTU_CLASS(THeaderSections, TCollection)
public:
  explicit THeaderSections(THeaderControl* AOwner);
  THeaderSection* Add() { return static_cast<THeaderSection*>(TCollection::Add()); }
  THeaderSection* Items(int Index) const { return static_cast<THeaderSection*>(TCollection::Items(Index)); }

protected:
  void Update(TCollectionItem* Item) override;

private:
  THeaderControl* FHeaderControl;
};

enum class TSectionTrackState { tsTrackBegin, tsTrackMove, tsTrackEnd };
using enum TSectionTrackState;

using TSectionNotifyEvent = std::function<void(THeaderControl* HeaderControl, THeaderSection* Section)>;
using TSectionTrackEvent = std::function<void(THeaderControl* HeaderControl, THeaderSection* Section, int Width,
                                              TSectionTrackState State)>;

// What both header controls share: painting sections from their edges and the
// mouse that resizes them.
class TCustomHeaderBase : public TCustomControl {
  DTU_CLASS(TCustomHeaderBase, TCustomControl)
public:
  explicit TCustomHeaderBase(TComponent* AOwner);

protected:
  virtual int SectionCountOf() = 0;
  virtual std::string SectionTextOf(int Index) = 0;
  virtual int SectionWidthOf(int Index) = 0;
  virtual TAlignment SectionAlignmentOf(int) { return taLeftJustify; }
  virtual void SetSectionWidthOf(int Index, int Width) = 0;
  // The user resized or clicked a section.
  virtual void Tracked(int Index, int Width, TSectionTrackState State) = 0;
  virtual void SectionClicked(int) {}

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // The section whose right edge is within 2 pixels of X (-1: none).
  int EdgeAt(int X);
  int SectionAt(int X);

private:
  int FTracking = -1;  // the section being resized
  int FTrackStartX = 0;
  int FTrackStartWidth = 0;
  int FPressed = -1;  // the section clicked
};

class THeaderControl : public TCustomHeaderBase {
  DTU_CLASS(THeaderControl, TCustomHeaderBase)
public:
  explicit THeaderControl(TComponent* AOwner);
  ~THeaderControl() override;
  THeaderSections* Sections() const { return FSections; }
  void SetSections(THeaderSections* Value) { FSections->Assign(Value); }

  TSectionNotifyEvent OnSectionClick;
  TSectionNotifyEvent OnSectionResize;
  TSectionTrackEvent OnSectionTrack;

protected:
  int SectionCountOf() override { return FSections->Count(); }
  std::string SectionTextOf(int Index) override { return FSections->Items(Index)->Text(); }
  int SectionWidthOf(int Index) override { return FSections->Items(Index)->Width(); }
  TAlignment SectionAlignmentOf(int Index) override { return FSections->Items(Index)->Alignment(); }
  void SetSectionWidthOf(int Index, int Width) override { FSections->Items(Index)->SetWidth(Width); }
  void Tracked(int Index, int Width, TSectionTrackState State) override;
  void SectionClicked(int Index) override;

private:
  THeaderSections* FSections;
};

class THeader : public TCustomHeaderBase {
  DTU_CLASS(THeader, TCustomHeaderBase)
public:
  explicit THeader(TComponent* AOwner);
  ~THeader() override;
  TStrings* Sections() const { return FSections; }
  void SetSections(TStrings* Value) { FSections->Assign(Value); }
  int SectionCount() { return FSections->Count(); }
  // A section's width (50 until set); EListError for an index out of range.
  int SectionWidth(int Index);
  void SetSectionWidth(int Index, int Value);

  TNotifyEvent OnSized;

protected:
  int SectionCountOf() override { return SectionCount(); }
  std::string SectionTextOf(int Index) override { return FSections->Strings(Index); }
  int SectionWidthOf(int Index) override { return SectionWidth(Index); }
  void SetSectionWidthOf(int Index, int Width) override { SetSectionWidth(Index, Width); }
  void Tracked(int Index, int Width, TSectionTrackState State) override;

private:
  TStrings* FSections;
  std::vector<int> FWidths;
};
