#include "common/XML.h"

#include "common/AtomicFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace {

void expectSameTree(const XML& a, const XML& b, const std::string& where = "root") {
    ASSERT_EQ(a.getName(), b.getName()) << where;
    EXPECT_EQ(a.getText(), b.getText()) << where << "/" << a.getName();
    EXPECT_EQ(a.getAttributes(), b.getAttributes()) << where << "/" << a.getName();
    ASSERT_EQ(a.getChildCount(), b.getChildCount()) << where << "/" << a.getName();
    for (std::size_t i = 0; i < a.getChildCount(); ++i)
        expectSameTree(a.getChild(i), b.getChild(i), where + "/" + a.getName());
}

// A small document touching every escaping rule and child order.
XML sampleTree() {
    XML root("SceneRoot");
    root.setAttribute("version", 3);
    root.setAttribute("title", "Quotes \" and <angles> & tabs\there\nnew line");
    XML* children = root.add("Children");
    XML* mesh = children->add("PolyMesh");
    mesh->add("Face", "    0,     1,     2");
    mesh->add("Face", "    2,     1,     3");
    mesh->add("Note", "a < b && c > d; ]]> stays");
    mesh->add("Blank", "   ");
    mesh->add("Lines", "first\r\nsecond\n\tthird  ");
    mesh->add("Empty");
    mesh->add("DrawEdges", true);
    XML* mixed = children->add("Mixed", "text before children");
    mixed->add("Inner", 7);
    mixed->add("Inner", 8);
    root.add("Tail", "last");
    return root;
}

} // namespace

TEST(XMLText, RoundTripKeepsNamesTextAttributesAndOrder) {
    const XML original = sampleTree();
    const std::string text = original.toString();
    EXPECT_EQ(0u, text.find("<?xml version=\"1.0\" ?>\n<SceneRoot"));
    EXPECT_NE(std::string::npos, text.find("\n  <Children>")) << "nested elements are indented";
    EXPECT_NE(std::string::npos, text.find("\n    <PolyMesh>"));

    XML parsed;
    ASSERT_TRUE(parsed.parse(text)) << parsed.getError();
    expectSameTree(original, parsed);

    XML compact;
    ASSERT_TRUE(compact.parse(original.toCompactString())) << compact.getError();
    expectSameTree(original, compact);
    EXPECT_EQ(text, parsed.toString()) << "writing is stable";
}

TEST(XMLText, ReadsForeignSyntax) {
    XML xml;
    ASSERT_TRUE(xml.parse("<?xml version='1.0' encoding='UTF-8'?>\n<!-- note -->\n"
                          "<A b='1'><![CDATA[x<y]]>&#65;<C/><!-- c --></A>\n"))
        << xml.getError();
    EXPECT_EQ("A", xml.getName());
    EXPECT_EQ("1", xml.getAttribute("b"));
    EXPECT_EQ("x<yA", xml.getText());
    EXPECT_EQ(1u, xml.getChildCount());

    ASSERT_TRUE(xml.parse("\xEF\xBB\xBF<Bom>\xC3\xA9</Bom>")) << xml.getError();
    EXPECT_EQ("Bom", xml.getName());
    EXPECT_EQ("\xC3\xA9", xml.getText()) << "UTF-8 text passes through unchanged";
}

TEST(XMLText, ParseErrorsGiveLineAndLeaveNodeUnchanged) {
    XML xml("Keep", "me");
    xml.add("Child", 1);
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"<A>\n  <B>\n  </C>\n</A>", "line 3: mismatched end tag"},
        {"<A>\n<B x=1/>\n</A>", "line 2: bad attribute"},
        {"<A/>\n<B/>", "line 2: more than one root element"},
        {"", "line 1: no document element"},
        {"just text", "line 1: no document element"},
        {"<A>\n\n<B>", "line 3: mismatched end tag"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(xml.parse(c.text)) << c.text;
        EXPECT_EQ(c.error, xml.getError().substr(0, std::string(c.error).size())) << c.text;
        EXPECT_EQ("Keep", xml.getName());
        EXPECT_EQ("me", xml.getText());
        EXPECT_EQ(1u, xml.getChildCount());
    }
}

TEST(XMLText, RefusesExcessiveNesting) {
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<a>";
    for (int i = 0; i < 5000; ++i)
        deep += "</a>";
    XML xml;
    EXPECT_FALSE(xml.parse(deep));
    EXPECT_NE(std::string::npos, xml.getError().find("nested too deeply"));
}

TEST(XMLFile, FromFileFailsCleanlyOnMissingBinaryEmptyAndBadFiles) {
    TempDir dir;
    XML xml("Untouched");
    EXPECT_FALSE(xml.fromFile(dir.file("missing.xml")));
    EXPECT_NE(std::string::npos, xml.getError().find("missing.xml"));
    EXPECT_NE(std::string::npos, xml.getError().find("No such file"));

    const std::string binary = dir.file("binary.xml");
    ASSERT_TRUE(WriteFileAtomically(binary, std::string("<A>\n\0\x01\xff</A>", 10), nullptr));
    EXPECT_FALSE(xml.fromFile(binary));
    EXPECT_EQ(binary + ":2: not a text file", xml.getError());

    const std::string empty = dir.file("empty.xml");
    ASSERT_TRUE(WriteFileAtomically(empty, "", nullptr));
    EXPECT_FALSE(xml.fromFile(empty));
    EXPECT_EQ(empty + ":1: no document element", xml.getError());

    const std::string bad = dir.file("scene.xml");
    ASSERT_TRUE(WriteFileAtomically(bad, "<?xml version=\"1.0\" ?>\n<A>\n<B>\n</A>\n", nullptr));
    EXPECT_FALSE(xml.fromFile(bad));
    EXPECT_EQ(bad + ":4: mismatched end tag", xml.getError());

    EXPECT_FALSE(xml.fromFile(dir.path()));
    EXPECT_EQ("Untouched", xml.getName());
    EXPECT_EQ(0u, xml.getChildCount());
}

TEST(XMLFile, ToFileReplacesAtomicallyAndKeepsOldFileOnFailure) {
    TempDir dir;
    const std::string path = dir.file("doc.xml");
    XML small("Small", "old");
    ASSERT_TRUE(small.toFile(path)) << small.getError();
    XML back;
    ASSERT_TRUE(back.fromFile(path)) << back.getError();
    expectSameTree(small, back);

    XML compact("A");
    compact.add("B")->add("C", 1);
    compact.add("D", "d");
    ASSERT_TRUE(compact.toFile(path, true));
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text, nullptr));
    EXPECT_EQ(compact.toCompactString(), text);
    EXPECT_EQ(1, std::count(text.begin(), text.end(), '\n')) << "only the declaration line";
    ASSERT_TRUE(small.toFile(path));

    // A write that runs out of room must not touch the existing file.
    XML big("Big", std::string(20000, 'x'));
    {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(big.toFile(path));
    }
    EXPECT_NE(std::string::npos, big.getError().find(path));
    ASSERT_TRUE(back.fromFile(path));
    expectSameTree(small, back);
    EXPECT_EQ(1, dir.entryCount()) << "no temporary file is left behind";

    EXPECT_FALSE(small.toFile(dir.file("no/such/folder/doc.xml")));
    XML badName("has blank");
    EXPECT_FALSE(badName.toFile(path));
    EXPECT_NE(std::string::npos, badName.getError().find("has blank"));
    ASSERT_TRUE(back.fromFile(path));
    expectSameTree(small, back);
}

TEST(XMLTree, ValuesAndLookups) {
    XML xml("Unfolder");
    xml.add("Count", 42);
    xml.add("Size", std::size_t(7));
    xml.add("Ratio", 0.1);
    xml.add("Tiny", 1e-300);
    xml.add("Flag", false);
    xml.add("Name", std::string("spiral"));
    xml.add("Junk", "12abc");
    xml.add("Decimal", "3.0");

    EXPECT_EQ(42, xml.fieldAsInt("Count", -1));
    EXPECT_EQ(7, xml.fieldAsInt("Size", -1));
    EXPECT_EQ(0.1, xml.fieldAsDouble("Ratio", -1)) << "doubles are stored exactly";
    EXPECT_EQ(1e-300, xml.fieldAsDouble("Tiny", -1));
    EXPECT_EQ("false", xml["Flag"].getText());
    EXPECT_EQ(-1, xml.fieldAsInt("Missing", -1));
    EXPECT_EQ(-1, xml.fieldAsInt("Junk", -1));
    EXPECT_EQ(2.5, xml.fieldAsDouble("Junk", 2.5));
    EXPECT_EQ(3, xml.fieldAsInt("Decimal", -1));

    XML* found = nullptr;
    EXPECT_TRUE(xml.getField("Name", &found));
    ASSERT_NE(nullptr, found);
    EXPECT_EQ("spiral", found->getText());
    EXPECT_FALSE(xml.field("Absent", &found));
    EXPECT_EQ(nullptr, found);

    const std::size_t before = xml.getChildCount();
    xml["Count"] = 5;
    EXPECT_EQ(before, xml.getChildCount()) << "existing child is reused";
    xml["Fresh"] = 2.5;
    EXPECT_EQ(before + 1, xml.getChildCount()) << "absent child is appended";
    EXPECT_EQ("Fresh", xml.getChild(before).getName());
    EXPECT_EQ(5, xml.fieldAsInt("Count", 0));

    xml.setAttribute("id", 4);
    xml.setAttribute("kind", "net");
    xml.setAttribute("id", 9);
    ASSERT_EQ(2u, xml.getAttributes().size());
    EXPECT_EQ("id", xml.getAttributes()[0].first) << "replacing keeps the position";
    EXPECT_EQ("9", xml.getAttribute("id"));
    EXPECT_EQ("", xml.getAttribute("none"));
}

TEST(XMLTree, AssignmentCopiesAndIterationFollowsDocumentOrder) {
    XML source = sampleTree();
    XML copy("Other");
    copy = source;
    expectSameTree(source, copy);
    copy["Tail"] = "changed";
    EXPECT_EQ("last", source["Tail"].getText()) << "copies are deep";

    // Assigning a node from its own descendant must not read freed memory.
    XML nested = sampleTree();
    nested = nested["Children"];
    EXPECT_EQ("Children", nested.getName());
    EXPECT_EQ(2u, nested.getChildCount());

    XML withValue = sampleTree();
    withValue = "text only";
    EXPECT_EQ("text only", withValue.getText());
    EXPECT_EQ(2u, withValue.getChildCount()) << "value assignment keeps children";

    XML list("List");
    for (int i = 0; i < 100; ++i)
        list.add("Item", i);
    int expected = 0;
    for (const XML& item : list)
        EXPECT_EQ(expected++, item.asInt(-1));
    EXPECT_EQ(100, expected);

    XML* adopted = new XML("Adopted");
    EXPECT_EQ(adopted, list.add(adopted));
    EXPECT_EQ(nullptr, list.add(static_cast<XML*>(nullptr)));
    EXPECT_TRUE(list.remove("Adopted"));
    EXPECT_FALSE(list.remove("Adopted"));
}

TEST(XMLText, LargeSceneRoundTrip) {
    // About 150k elements, the size of a 100k-face scene.
    XML root("SceneRoot");
    XML& mesh = *root.add("Children")->add("PolyMesh");
    XML& vertices = *mesh.add("Vertices");
    XML& faces = *mesh.add("Faces");
    for (int i = 0; i < 50000; ++i)
        vertices.add("Vertex", "[bin]000000000000000000000000[/bin] 0.0000  0.0000  1.1756");
    for (int i = 0; i < 100000; ++i)
        faces.add("Face", "    " + std::to_string(i) + ",     1,     2");
    XML parsed;
    ASSERT_TRUE(parsed.parse(root.toString())) << parsed.getError();
    const XML& parsedFaces = parsed["Children"]["PolyMesh"]["Faces"];
    ASSERT_EQ(100000u, parsedFaces.getChildCount());
    EXPECT_EQ("    99999,     1,     2", parsedFaces.getChild(99999).getText());
    EXPECT_EQ(50000u, parsed["Children"]["PolyMesh"]["Vertices"].getChildCount());
}

TEST(XMLText, ManyAttributesReadInLinearTimeKeepingOrderAndTheLastValue) {
    // Looking each attribute up while adding it made this quadratic (minutes at a million).
    const int n = 200000;
    std::string text = "<Big";
    for (int i = 0; i < n; ++i)
        text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    text += "/>";
    XML xml;
    ASSERT_TRUE(xml.parse(text)) << xml.getError();
    ASSERT_EQ(size_t(n), xml.getAttributes().size());
    EXPECT_EQ("a0", xml.getAttributes().front().first);
    EXPECT_EQ("199999", xml.getAttribute("a199999"));
}

