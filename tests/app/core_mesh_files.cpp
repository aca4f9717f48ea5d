// Exporting a figure: the OBJ and STL texts of a mesh read back, the export commands
// before and after a drawing, and the three pictures.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <bit>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>

#include "app/Drawing.h"
#include "app/core/AppState.h"
#include "app/core/DragGate.h"
#include "app/core/MeshFiles.h"
#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "render/Pictures.h"
#include "tests/app/example_curves.h"
#include "tests/support/TestData.h"
#include "tests/support/TestGate.h"
#include "tests/support/TestPictures.h"

using HullMesh::THullMesh;

namespace {

QByteArray Contents(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

// A tetrahedron's four faces wound outwards, two marked as strip triangles; the
// coordinates need all fifteen digits and the exponent form.
THullMesh Tetrahedron() {
  THullMesh mesh;
  mesh.Vertices = {{0, 0, 0}, {2.5L, 0, 0}, {0, -1.0L / 3, 0}, {0, 0, 1.5e-7L}};
  mesh.Triangles = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};
  mesh.StripTriangles = 2;
  mesh.Strips = 1;
  mesh.FlatFaces = 2;
  return mesh;
}

// A decimal comma for every number a C++ stream writes.
struct CommaPoint : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

std::uint32_t LittleEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(bytes.at(at + k));
  return v;
}

float FloatAt(const std::string& bytes, std::size_t at) { return std::bit_cast<float>(LittleEndian(bytes, at)); }

}  // namespace

TEST(MeshText, ObjListsSharedVerticesAndGroupedFacesWithAPoint) {
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
  const std::string text = MeshFiles::ObjText(Tetrahedron());
  std::locale::global(previous);
  EXPECT_EQ(text,
            "# Wendrix hull mesh: 4 vertices, 4 triangles\n"
            "o hull\n"
            "v 0 0 0\n"
            "v 2.5 0 0\n"
            "v 0 -0.333333333333333 0\n"
            "v 0 0 1.5E-7\n"
            "g strips\n"
            "f 1 2 3\n"
            "f 1 4 2\n"
            "g flat\n"
            "f 1 3 4\n"
            "f 2 4 3\n");
  // Without strips the faces start with the flat group; an empty mesh has no faces.
  THullMesh flatOnly = Tetrahedron();
  flatOnly.StripTriangles = 0;
  EXPECT_NE(MeshFiles::ObjText(flatOnly).find("o hull\nv"), std::string::npos);
  EXPECT_NE(MeshFiles::ObjText(flatOnly).find("1.5E-7\ng flat\nf 1 2 3\n"), std::string::npos);
  EXPECT_EQ(MeshFiles::ObjText(THullMesh{}), "# Wendrix hull mesh: 0 vertices, 0 triangles\no hull\n");
}

TEST(MeshText, StlHoldsEachTriangleWithItsOutwardNormal) {
  const THullMesh mesh = Tetrahedron();
  const std::string bytes = MeshFiles::StlBytes(mesh);
  ASSERT_EQ(bytes.size(), 84u + 50u * 4);
  EXPECT_NE(bytes.compare(0, 5, "solid"), 0);  // readers take "solid..." for a text file
  EXPECT_EQ(LittleEndian(bytes, 80), 4u);
  for (std::size_t k = 0; k < 4; ++k) {
    const std::size_t at = 84 + 50 * k;
    const TVector3 n = HullMesh::TriangleNormal(mesh, k);
    EXPECT_FLOAT_EQ(FloatAt(bytes, at), static_cast<float>(n.x)) << k;
    EXPECT_FLOAT_EQ(FloatAt(bytes, at + 4), static_cast<float>(n.y)) << k;
    EXPECT_FLOAT_EQ(FloatAt(bytes, at + 8), static_cast<float>(n.z)) << k;
    for (int c = 0; c < 3; ++c) {
      const TVector3& v = mesh.Vertices[mesh.Triangles[k][c]];
      EXPECT_EQ(FloatAt(bytes, at + 12 + 12 * c), static_cast<float>(v.x)) << k;
      EXPECT_EQ(FloatAt(bytes, at + 16 + 12 * c), static_cast<float>(v.y)) << k;
      EXPECT_EQ(FloatAt(bytes, at + 20 + 12 * c), static_cast<float>(v.z)) << k;
    }
    EXPECT_EQ(bytes.at(at + 48), 0);
    EXPECT_EQ(bytes.at(at + 49), 0);
  }
  // Every stored normal is of unit length and points away from the tetrahedron; the
  // face (0, 1, 2) lies in z = 0 and faces down.
  const TVector3 centre = (mesh.Vertices[0] + mesh.Vertices[1] + mesh.Vertices[2] + mesh.Vertices[3]) / 4;
  for (std::size_t k = 0; k < 4; ++k) {
    const std::size_t at = 84 + 50 * k;
    const TVector3 n{FloatAt(bytes, at), FloatAt(bytes, at + 4), FloatAt(bytes, at + 8)};
    EXPECT_NEAR(static_cast<double>(Length(n)), 1, 1e-6) << k;
    EXPECT_GT(Dot(n, mesh.Vertices[mesh.Triangles[k][0]] - centre), 0) << k;
  }
  EXPECT_EQ(FloatAt(bytes, 84 + 8), -1.0f);
  EXPECT_EQ(MeshFiles::StlBytes(THullMesh{}).size(), 84u);
}

TEST(MeshText, FormatFollowsTheExtensionInAnyCase) {
  EXPECT_EQ(MeshFiles::MeshFormatOf("hull.obj"), MeshFiles::TMeshFormat::Obj);
  EXPECT_EQ(MeshFiles::MeshFormatOf("/a/b.OBJ"), MeshFiles::TMeshFormat::Obj);
  EXPECT_EQ(MeshFiles::MeshFormatOf("hull.Stl"), MeshFiles::TMeshFormat::Stl);
  EXPECT_EQ(MeshFiles::MeshFormatOf("hull.stl.txt"), MeshFiles::TMeshFormat::None);
  EXPECT_EQ(MeshFiles::MeshFormatOf("obj"), MeshFiles::TMeshFormat::None);
  EXPECT_EQ(MeshFiles::MeshFormatOf(""), MeshFiles::TMeshFormat::None);
}

TEST(PictureNames, BaseNameWithOrWithoutPng) {
  const MeshFiles::TPictureNames names = MeshFiles::PictureNames("/tmp/figure");
  EXPECT_EQ(names.Hull, "/tmp/figure-hull.png");
  EXPECT_EQ(names.Square, "/tmp/figure-square.png");
  EXPECT_EQ(names.Normals, "/tmp/figure-normals.png");
  EXPECT_EQ(MeshFiles::PictureNames("figure.PNG").Hull, "figure-hull.png");
  EXPECT_EQ(MeshFiles::PictureNames("figure.png.png").Hull, "figure.png-hull.png");
}

class Exports : public ExampleCurves::StateTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    StateTest::SetUp();
  }

  std::string Path(const char* name) const { return folder.filePath(name).toStdString(); }

  void DrawDefaultCurve() {
    ExampleCurves::LoadAndDraw(std::string(WENDRIX_EXAMPLES_DIR) + "/default-curve.wdx", shown);
  }

  TAppState shown;
  QTemporaryDir folder;
  std::string message;
};

TEST_F(Exports, NothingIsWrittenBeforeADrawing) {
  for (const char* name : {"hull.obj", "hull.stl"}) {
    EXPECT_FALSE(MeshFiles::ExportHullMesh(shown, TestData(), Path(name), message));
    EXPECT_EQ(message, "Nothing to export: draw a figure first");
    EXPECT_FALSE(Exists(Path(name)));
  }
  EXPECT_FALSE(MeshFiles::ExportHullMesh(shown, TestData(), Path("hull.mesh"), MeshFiles::TMeshFormat::Obj, message));
  EXPECT_FALSE(MeshFiles::ExportPictures(shown, TestPictures(), Path("figure"), message));
  EXPECT_EQ(message, "Nothing to export: draw a figure first");
  EXPECT_TRUE(QDir(folder.path()).isEmpty());

  // A drawing, then a change of the input that clears DrawnFlag: nothing again.
  DrawDefaultCurve();
  shown.DrawnFlag = false;
  EXPECT_FALSE(MeshFiles::ExportHullMesh(shown, TestData(), Path("hull.obj"), message));
  EXPECT_FALSE(MeshFiles::ExportPictures(shown, TestPictures(), Path("figure"), message));
  EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(Exports, MeshFilesOfTheDrawnFigure) {
  DrawDefaultCurve();
  EXPECT_FALSE(MeshFiles::ExportHullMesh(shown, TestData(), Path("hull.ply"), message));
  EXPECT_EQ(message, "The mesh file name must end in .obj or .stl");
  EXPECT_FALSE(Exists(Path("hull.ply")));

  const THullMesh mesh = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, TestData().Analysis);
  ASSERT_GT(mesh.Triangles.size(), 100u);
  ASSERT_TRUE(MeshFiles::ExportHullMesh(shown, TestData(), Path("hull.obj"), message)) << message;
  EXPECT_NE(message.find(std::to_string(mesh.Triangles.size()) + " triangles"), std::string::npos) << message;
  EXPECT_EQ(Contents(Path("hull.obj")).toStdString(), MeshFiles::ObjText(mesh));

  // An existing file is replaced whole; the size follows from the triangle count.
  QFile old(QString::fromStdString(Path("hull.STL")));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write(QByteArray(100000, 'x'));
  old.close();
  ASSERT_TRUE(MeshFiles::ExportHullMesh(shown, TestData(), Path("hull.STL"), message)) << message;
  const QByteArray stl = Contents(Path("hull.STL"));
  EXPECT_EQ(stl.size(), static_cast<qsizetype>(84 + 50 * mesh.Triangles.size()));
  EXPECT_EQ(stl.toStdString(), MeshFiles::StlBytes(mesh));

  // A format given apart from the name.
  ASSERT_TRUE(MeshFiles::ExportHullMesh(shown, TestData(), Path("hull.mesh"), MeshFiles::TMeshFormat::Stl, message))
      << message;
  EXPECT_EQ(Contents(Path("hull.mesh")), stl);

  // Curve points that overflow (p beyond every finite number): refused, nothing written.
  TestData().Curve.P = std::numeric_limits<long double>::infinity();
  EXPECT_FALSE(MeshFiles::ExportHullMesh(shown, TestData(), Path("infinite.obj"), message));
  EXPECT_EQ(message, "No hull mesh written: a curve point has a coordinate that is infinite or not a number");
  EXPECT_FALSE(Exists(Path("infinite.obj")));
  TestData().Curve.P = TestData().Input.PValue;

  // A folder that does not exist: an error, and no file.
  EXPECT_THROW(MeshFiles::ExportHullMesh(shown, TestData(), Path("missing/hull.obj"), message), WendrixError);
  EXPECT_FALSE(QDir(folder.filePath("missing")).exists());
}

TEST_F(Exports, PicturesAreTheBitmapsAndTheMainViewAsShown) {
  DrawDefaultCurve();
  EXPECT_FALSE(MeshFiles::ExportPictures(shown, TestPictures(), "", message));
  ASSERT_TRUE(MeshFiles::ExportPictures(shown, TestPictures(), Path("figure.png"), message)) << message;
  const MeshFiles::TPictureNames names = MeshFiles::PictureNames(Path("figure"));
  EXPECT_EQ(message, "Pictures written to " + names.Hull + ", " + names.Square + " and " + names.Normals);
  const auto same = [](const std::string& path, const QImage& bitmap) {
    const QImage image(QString::fromStdString(path));
    return !image.isNull() && image.convertToFormat(QImage::Format_RGB32) == bitmap.convertToFormat(QImage::Format_RGB32);
  };
  EXPECT_TRUE(same(names.Hull, TestPictures().HullBitmap));
  EXPECT_TRUE(same(names.Square, TestPictures().BitangBitmap));
  EXPECT_TRUE(same(names.Normals, TestPictures().MaxwellBitmap));
  EXPECT_EQ(QImage(QString::fromStdString(names.Square)).size(), QSize(300, 300));

  // In the stereo view the main picture is the wire-frame.
  ASSERT_TRUE(DragGate::MuestraAlambre(TestGate(), shown, TestData(), TestPictures(), TestView()));
  ASSERT_TRUE(MeshFiles::ExportPictures(shown, TestPictures(), Path("stereo"), message)) << message;
  const std::string stereo = MeshFiles::PictureNames(Path("stereo")).Hull;
  EXPECT_TRUE(same(stereo, TestPictures().StereoBitmap));
  EXPECT_FALSE(same(stereo, TestPictures().HullBitmap));
}
