#pragma once
// The contract of the framed classes with stored forms: the names a class publishes
// and the values that come back from a write and a read.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

// One class and the names it publishes, its own and the re-published inherited ones.
struct TPublishedNames {
  std::string ClassName;
  std::vector<std::string> Names;
};

// Every name is published by the registered class, and a text form that names each
// one (with the value a new instance has, nil for events and references) loads
// through the form reader.
void ExpectPublishesAndLoads(const TPublishedNames& Entry);

// Name lists built from shared sets: all of Lists in order, and Names without Left.
using TNames = std::vector<std::string>;
TNames Join(std::initializer_list<TNames> Lists);
TNames Without(const TNames& Names, const TNames& Left);

// Registers every class of the framed-control library and returns their names.
std::vector<std::string> FramedClassNames();

// Whether Prop of Info (or of a class it inherits from) is a value the control derives
// or fixes itself, so that the value read back is its own and not the one set.
struct TClassInfo;
bool IsDerived(const TClassInfo& Info, const std::string& Prop);
