// Module resources by id and the platform bitmap loader built on them.
#include <gtest/gtest.h>

#include <memory>

#include "editor/raster/LICE_Png.h"
#include "platform/Resources.h"

TEST(PngExtension, OnlyPngInAnyCase)
{
  EXPECT_TRUE(HasPngExtension("resources/img/Background.png"));
  EXPECT_TRUE(HasPngExtension("resources/img/Background.PNG"));
  EXPECT_TRUE(HasPngExtension("a.pNg"));
  EXPECT_TRUE(HasPngExtension(".png"));
  EXPECT_FALSE(HasPngExtension("resources/img/Background.png.bak"));
  EXPECT_FALSE(HasPngExtension("resources/img/Background.jpg"));
  EXPECT_FALSE(HasPngExtension("png"));
  EXPECT_FALSE(HasPngExtension("image.pngx"));
  EXPECT_FALSE(HasPngExtension("image."));
  EXPECT_FALSE(HasPngExtension("dir.png/image"));
  EXPECT_FALSE(HasPngExtension(""));
  EXPECT_FALSE(HasPngExtension(nullptr));
}

TEST(ModuleResources, AbsentIdsAreNotFound)
{
  for (int id : {0, -1, 1, 100, 122, 65535, 65536, 1 << 30}) {
    const unsigned char* data = nullptr;
    size_t size = 12345;
    EXPECT_FALSE(LoadModuleResource(id, data, size)) << id;
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 12345u);
    EXPECT_FALSE(std::unique_ptr<LICE_MemBitmap>(LoadPngResource(id, "x.png"))) << id;
  }
}

// Whatever editor images the build carries are PNGs of the layout's sizes,
// reachable through the loader; a name that is not a PNG loads nothing.
TEST(ModuleResources, PresentImagesDecodeToTheirLayoutSizes)
{
  struct Image {
    int id, width, height;
  };
  const Image images[] = {{101, 846, 698}, {102, 846, 768}, {103, 48, 1584}, {104, 10, 360},  {105, 6, 35},
                          {106, 10, 360},  {107, 6, 35},    {108, 28, 2432}, {109, 28, 2432}, {110, 96, 6240},
                          {111, 96, 6240}, {112, 28, 48},   {113, 24, 792},  {114, 24, 792},  {115, 9, 2688},
                          {116, 11, 3136}, {117, 15, 4480}, {118, 11, 3136}, {119, 108, 1500}, {120, 26, 72},
                          {121, 76, 270}};
  int present = 0;
  for (const Image& img : images) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!LoadModuleResource(img.id, data, size)) continue;
    ++present;
    ASSERT_NE(data, nullptr);
    ASSERT_GE(size, 8u) << img.id;
    std::unique_ptr<LICE_MemBitmap> bm(LoadPngResource(img.id, "resources/img/image.png"));
    ASSERT_TRUE(bm) << img.id;
    EXPECT_EQ(bm->GetWidth(), img.width) << img.id;
    EXPECT_EQ(bm->GetHeight(), img.height) << img.id;
    EXPECT_FALSE(std::unique_ptr<LICE_MemBitmap>(LoadPngResource(img.id, "resources/img/image.png.bak")));
    // Looking the same id up again gives the same bytes.
    const unsigned char* again = nullptr;
    size_t againSize = 0;
    ASSERT_TRUE(LoadModuleResource(img.id, again, againSize));
    EXPECT_EQ(again, data);
    EXPECT_EQ(againSize, size);
  }
  if (present == 0) GTEST_SKIP() << "this build carries no editor images";
}
