#include "platform/component.h"

#include <gtest/gtest.h>

#include "platform/profile.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

constexpr const char* kFakeClass = "{00000000-1111-2222-3333-444444444444}";

TEST(ComponentRegistry, RegisteredLibraryCreatesItsModuleAndDrivesItsSlots) {
  testing::TempHome home;
  std::string error;
  ASSERT_TRUE(RegisterComponentLibrary(FAKE_MODULE_PATH, &error)) << error;
  EXPECT_EQ(RegisteredComponentLibrary(kFakeClass), FAKE_MODULE_PATH);

  auto module = CreateModule(kFakeClass, &error);
  ASSERT_NE(module, nullptr) << error;
  IPostProcModule* m = module->get();
  EXPECT_EQ(m->SetSetupFile("a b.psa", 1), 2);
  EXPECT_EQ(m->SetSetupFile("", 0), 0);
  m->SetLastProcessed(7);
  EXPECT_EQ(m->GetLastProcessed(), 7);
  EXPECT_EQ(m->Run(0, 0, 0), 1);
  module.reset();

  // A second creation makes a fresh object.
  auto again = CreateModule(kFakeClass, &error);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->get()->GetLastProcessed(), 0);
}

TEST(ComponentRegistry, FailuresGiveTheSystemTexts) {
  testing::TempHome home;
  std::string error;
  EXPECT_EQ(CreateModule("{FBEA03A0-BB68-476D-893B-AA8F4A1589C8}", &error), nullptr);
  EXPECT_EQ(error, kTextClassNotRegistered);

  // A class registered to the library that does not implement it.
  ASSERT_TRUE(RegisterComponentClass("{AAAAAAAA-0000-0000-0000-000000000000}", FAKE_MODULE_PATH));
  EXPECT_EQ(CreateModule("{AAAAAAAA-0000-0000-0000-000000000000}", &error), nullptr);
  EXPECT_EQ(error, kTextClassNotRegistered);

  // A library that has gone.
  ASSERT_TRUE(RegisterComponentClass(kFakeClass, home.file("gone.so")));
  error.clear();
  EXPECT_EQ(CreateModule(kFakeClass, &error), nullptr);
  EXPECT_NE(error.find("gone.so"), std::string::npos) << error;

  EXPECT_FALSE(RegisterComponentLibrary(home.file("gone.so"), &error));
  ASSERT_TRUE(UnregisterComponentClass(kFakeClass));
  EXPECT_EQ(RegisteredComponentLibrary(kFakeClass), "");
}

TEST(ComponentRegistry, InstalledRegistryServesWhatTheUserHasNotRegistered) {
  testing::TempHome home;
  testing::TempDir installed;
  const std::string user = home.file("TidoraComponents.ini");
  const std::string system = installed.file("TidoraComponents.ini");
  testing::WriteFile(installed.file("Swellcalc.so"), "");
  testing::WriteFile(system,
                     "[Components]\n" + std::string(kFakeClass) +
                         "=Swellcalc.so\n{BBBBBBBB-0000-0000-0000-000000000000}=/opt/x.so\n");

  // Relative names are found beside the installed registry; absolute ones are kept.
  EXPECT_EQ(LookUpComponentLibrary(kFakeClass, user, system), installed.file("Swellcalc.so"));
  EXPECT_EQ(LookUpComponentLibrary("{BBBBBBBB-0000-0000-0000-000000000000}", user, system),
            "/opt/x.so");
  EXPECT_EQ(LookUpComponentLibrary("{CCCCCCCC-0000-0000-0000-000000000000}", user, system), "");

  // The user's own registration wins while its library is there.
  ASSERT_TRUE(RegisterComponentClass(kFakeClass, FAKE_MODULE_PATH));
  EXPECT_EQ(LookUpComponentLibrary(kFakeClass, user, system), FAKE_MODULE_PATH);
  // A registration whose library has gone falls back to the installed one, and without one it
  // stays as it is, so the failure names the missing library.
  ASSERT_TRUE(RegisterComponentClass(kFakeClass, home.file("build/gone.so")));
  EXPECT_EQ(LookUpComponentLibrary(kFakeClass, user, system), installed.file("Swellcalc.so"));
  EXPECT_EQ(LookUpComponentLibrary(kFakeClass, user, installed.file("none.ini")),
            home.file("build/gone.so"));
  EXPECT_EQ(LookUpComponentLibrary(kFakeClass, user, ""), home.file("build/gone.so"));
}

TEST(ComponentRegistry, LibraryClassesAreListedWithoutRegistering) {
  testing::TempHome home;
  std::vector<std::string> classes;
  std::string error;
  ASSERT_TRUE(ComponentLibraryClasses(FAKE_MODULE_PATH, &classes, &error)) << error;
  EXPECT_EQ(classes, std::vector<std::string>{kFakeClass});
  EXPECT_EQ(RegisteredComponentLibrary(kFakeClass), "");
  EXPECT_FALSE(ComponentLibraryClasses("/proc/self/exe", &classes, &error));
  EXPECT_FALSE(error.empty());
}

TEST(ComponentRegistry, LibraryWithoutTheFactoryIsRefused) {
  testing::TempHome home;
  // The test program itself is a loadable object without the exports.
  ASSERT_TRUE(RegisterComponentClass(kFakeClass, "/proc/self/exe"));
  std::string error;
  auto m = CreateModule(kFakeClass, &error);
  EXPECT_EQ(m, nullptr);
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tidora
