#include <gtest/gtest.h>

#include "datafile/tgr41file.h"
#include "datafile/tidfile.h"
#include "datafile/wbfile.h"

namespace tidora {
namespace {

TEST(Catalogue, EveryIdentifierHasItsNames) {
  for (int id = 0; id < kNumVariableIds; ++id) {
    std::string name, label, shortName;
    ASSERT_EQ(GetDataNameFromID(name, id), 1);
    ASSERT_EQ(GetLabelNameFromID(label, id), 1);
    ASSERT_EQ(GetShortDataNameFromID(shortName, id), 1);
    EXPECT_FALSE(name.empty() || label.empty() || shortName.empty()) << id;
    // Long names are unique: every one leads back to its identifier.
    int back = -1;
    ASSERT_EQ(GetID_FromDataName(back, name), 1) << name;
    EXPECT_EQ(back, id);
  }
  std::string s;
  GetDataNameFromID(s, 17);
  EXPECT_EQ(s, "Maximum Wave Height [meters], time series statistics");
  GetLabelNameFromID(s, 17);
  EXPECT_EQ(s, "Max Wave Height, TSS");
  GetShortDataNameFromID(s, 17);
  EXPECT_EQ(s, "Maxheight");
  GetShortDataNameFromID(s, 20);
  EXPECT_EQ(s, "Pres");
  GetLabelNameFromID(s, 8);
  EXPECT_EQ(s, "Density [sigma-1, Kg/m^3]");
}

TEST(Catalogue, UnknownIdentifiersLeaveTheString) {
  for (int id : {-1, 34, 35, 1000}) {
    std::string s = "kept";
    EXPECT_EQ(GetDataNameFromID(s, id), 0);
    EXPECT_EQ(GetLabelNameFromID(s, id), 0);
    EXPECT_EQ(GetShortDataNameFromID(s, id), 0);
    EXPECT_EQ(GetDataNameFromIDNoUnits(s, id), 0);
    EXPECT_EQ(s, "kept");
  }
}

TEST(Catalogue, NamesWithoutUnitsCutAtTheLastComma) {
  std::string s = "x";
  EXPECT_EQ(GetDataNameFromIDNoUnits(s, 25), 1);
  EXPECT_EQ(s, "Significant wave height [meters]");
  EXPECT_EQ(GetDataNameFromIDNoUnits(s, 19), 1);
  EXPECT_EQ(s, "");
  GetDataNameFromIDNoUnits(s, 11);
  EXPECT_EQ(s, "Energy [J/m^2]");
  GetDataNameFromIDNoUnits(s, 6);
  EXPECT_EQ(s, "Density [sigma-theta");
}

TEST(Catalogue, NamesAreLookedUpExactly) {
  int id = 99;
  EXPECT_EQ(GetID_FromDataName(id, "pressure [psi]"), 0);
  EXPECT_EQ(GetID_FromDataName(id, "Pressure [psi] "), 0);
  EXPECT_EQ(id, 99);
  EXPECT_EQ(GetID_FromDataName(id, "Pressure [psi]"), 1);
  EXPECT_EQ(id, 19);
}

TEST(FileObjects, FactoryMakesTheReaderOfEachKind) {
  auto tid = CreateFileObject(kTideFileId);
  auto wb = CreateFileObject(kWaveBurstFileId);
  ASSERT_TRUE(tid && wb);
  EXPECT_EQ(tid->GetFileID(), 0);
  EXPECT_EQ(wb->GetFileID(), 1);
  EXPECT_STREQ(tid->GetClassName(), "CTidFile");
  EXPECT_EQ(tid->GetMaxDataTypes(), 36);
  for (int id : {-1, 5, 36}) EXPECT_EQ(CreateFileObject(id), nullptr) << id;
  const char* classes[] = {"CWasFile", "CWtsFile", "CWtFile"};
  for (int id : {2, 3, 4}) {
    auto r = CreateFileObject(id);
    ASSERT_TRUE(r) << id;
    EXPECT_EQ(r->GetFileID(), id);
    EXPECT_STREQ(r->GetClassName(), classes[id - 2]);
    EXPECT_TRUE(CreateFileObjectByClassName(classes[id - 2]));
  }
  EXPECT_TRUE(CreateFileObjectByClassName("CWbFile"));
  EXPECT_FALSE(CreateFileObjectByClassName("CNoFile"));
  EXPECT_EQ(wb->GetDefaultVarID(1), 26);
  EXPECT_EQ(wb->GetDefaultVarID(2), 35);
  EXPECT_EQ(tid->GetDefaultVarID(1), 19);
  EXPECT_EQ(tid->GetDefaultVarID(2), 27);
  EXPECT_EQ(tid->GetDefaultVarID(0), 35);
  EXPECT_EQ(tid->GetDefaultVarID(5), 35);
}

TEST(FileObjects, SameTypeEqualityAndCopy) {
  auto a = CreateFileObject(kTideFileId);
  auto b = CreateFileObject(kTideFileId);
  auto w = CreateFileObject(kWaveBurstFileId);
  EXPECT_TRUE(FileObjectsAreSameType(a.get(), b.get()));
  EXPECT_TRUE(FileObjectsEqual(a.get(), b.get()));
  EXPECT_FALSE(FileObjectsAreSameType(a.get(), w.get()));
  EXPECT_FALSE(FileObjectsEqual(a.get(), nullptr));
  EXPECT_TRUE(*a == *w);  // equality of file objects says nothing about their kind
  EXPECT_FALSE(*a != *w);
  a->SetStartTime(1234);
  a->Set2000Based(true);
  EXPECT_TRUE(CopyFileObject(b.get(), a.get()));
  EXPECT_EQ(b->GetStartTime(), 1234);
  EXPECT_TRUE(b->Is2000Based());
  EXPECT_FALSE(CopyFileObject(w.get(), a.get()));
  EXPECT_EQ(w->GetFileID(), kWaveBurstFileId);
  EXPECT_EQ(w->GetStartTime(), 0);
}

TEST(FileObjects, SubtitlesAreMadeOnceAndEmptiedLater) {
  CTidFile f;
  EXPECT_EQ(f.GetSubTitle(0), "");
  f.SetnSubTitles(3);
  EXPECT_EQ(f.GetnSubTitles(), 3);
  f.SetSubTitle(0, "a");
  f.SetSubTitle(2, "c");
  EXPECT_EQ(f.GetSubTitle(2), "c");
  f.SetnSubTitles(1);  // empties the first one only
  EXPECT_EQ(f.GetSubTitle(0), "");
  EXPECT_EQ(f.GetSubTitle(2), "c");
  EXPECT_EQ(f.GetnSubTitles(), 3);
  EXPECT_EQ(f.GetSubTitle(-1), "");
  EXPECT_EQ(f.GetSubTitle(99), "");
}

TEST(FileObjects, KindFollowsTheExtension) {
  EXPECT_EQ(FileIdFromExtension("/a/b.TID"), 0);
  EXPECT_EQ(FileIdFromExtension("b.wb"), 1);
  EXPECT_EQ(FileIdFromExtension("b.Was"), 2);
  EXPECT_EQ(FileIdFromExtension("b.wts"), 3);
  EXPECT_EQ(FileIdFromExtension("b.wt"), 4);
  EXPECT_EQ(FileIdFromExtension("b.txt"), -1);
  EXPECT_EQ(FileIdFromExtension("dir.tid/b"), -1);
}

}  // namespace
}  // namespace tidora
