// Runs the built vorn-cli on files and checks exit codes, output and messages.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CliTest : public ::testing::Test {
protected:
    CliRun run(const std::string& args) {
        fs::path out = m_dir / "stdout.txt", err = m_dir / "stderr.txt";
        std::string command = quote(VORN_CLI_PATH) + " " + args + " >" + quote(out.string()) +
                              " 2>" + quote(err.string());
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(out), ReadFileText(err)};
    }

    static std::string example(const char* name) {
        return quote(std::string(VORN_SOURCE_DIR) + "/examples/" + name);
    }
    std::string temp(const char* name) const { return (m_dir / name).string(); }

    TempDir m_tmp;
    fs::path m_dir{m_tmp.path()};
};

TEST_F(CliTest, HelpAndUsageErrors) {
    CliRun help = run("--help");
    EXPECT_EQ(0, help.exitCode);
    for (const char* command : {"info", "convert", "export-off"})
        EXPECT_NE(std::string::npos, help.out.find(std::string("  ") + command)) << command;

    for (const char* command : {"info", "convert", "export-off"}) {
        CliRun sub = run(std::string(command) + " --help");
        EXPECT_EQ(0, sub.exitCode) << command;
        EXPECT_EQ(0u, sub.out.find(std::string("Usage: vorn-cli ") + command)) << sub.out;
        EXPECT_EQ(sub.out, run(std::string("help ") + command).out);
        EXPECT_EQ(sub.out, run(std::string(command) + " model.off --help").out)
            << "help asked for after the arguments";
    }

    EXPECT_EQ(2, run("").exitCode);
    CliRun unknown = run("frobnicate x");
    EXPECT_EQ(2, unknown.exitCode);
    EXPECT_EQ("vorn-cli: unknown command 'frobnicate' (see 'vorn-cli --help')\n", unknown.err);

    CliRun missing = run("convert " + example("cube.off"));
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_EQ("vorn-cli: convert: missing argument (see 'vorn-cli convert --help')\n", missing.err);
    EXPECT_EQ(2, run("info " + example("cube.off") + " extra").exitCode);
    EXPECT_EQ(2, run("info --verbose " + example("cube.off")).exitCode);
    CliRun badOut = run("convert " + example("cube.off") + " " + quote(temp("cube.stl")));
    EXPECT_EQ(2, badOut.exitCode);
    EXPECT_FALSE(fs::exists(temp("cube.stl")));
}

TEST_F(CliTest, OptionsAreListedAsTheyAreParsed) {
    struct Command {
        const char* name;
        std::vector<const char*> listed;
    };
    for (const Command& command :
         {Command{"unfold", {"--strategy NAME", "--steps N", "--svg FILE", "--mm-per-unit MM"}},
          Command{"render", {"--size WxH", "--view NAME"}},
          Command{"batch", {"--random N", "--write-pdfs, --no-write-pdfs", "--max-rounds R"}}}) {
        const CliRun help = run(std::string(command.name) + " --help");
        EXPECT_EQ(0, help.exitCode);
        EXPECT_NE(std::string::npos, help.out.find("\nOptions:\n")) << help.out;
        for (const char* option : command.listed)
            EXPECT_NE(std::string::npos, help.out.find(std::string("  ") + option))
                << command.name << ": " << option;
    }
    // A value is taken whatever it looks like; a missing one and an overflowing count are
    // usage errors.
    EXPECT_EQ("vorn-cli: render: --size needs WIDTHxHEIGHT, not '--view' (see 'vorn-cli render "
              "--help')\n",
              run("render a.xml b.png --size --view").err);
    EXPECT_EQ("vorn-cli: unfold: missing value after --steps (see 'vorn-cli unfold --help')\n",
              run("unfold " + example("cube.off") + " --steps").err);
    const CliRun overflow = run("batch --random 99999999999999999999 --out " + quote(temp("b")));
    EXPECT_EQ(2, overflow.exitCode);
    EXPECT_NE(std::string::npos, overflow.err.find("--random needs a whole number"))
        << overflow.err;
    for (const std::string& args :
         {"batch --random 1 --seed 4294967296 --out " + quote(temp("b")),
          "unfold " + example("cube.off") + " --steps 99999999999999999999",
          "render " + example("cube.off") + " " + quote(temp("c.png")) +
              " --size 99999999999x10"}) {
        const CliRun refused = run(args);
        EXPECT_EQ(2, refused.exitCode) << args << "\n" << refused.err;
    }
    EXPECT_FALSE(fs::exists(temp("c.png")));
}

TEST_F(CliTest, CommandsSayWhatTheyDidAndNameWhatIsMissing) {
    const CliRun version = run("--version");
    EXPECT_EQ(0, version.exitCode);
    EXPECT_EQ(0u, version.out.find("vorn-cli ")) << version.out;

    const std::string xml = temp("cube.xml"), off = temp("cube.off");
    const CliRun converted = run("convert " + example("cube.off") + " " + quote(xml));
    EXPECT_EQ(0, converted.exitCode) << converted.err;
    EXPECT_EQ("Wrote " + xml + "\n", converted.out);
    const CliRun exported = run("export-off " + quote(xml) + " " + quote(off));
    EXPECT_EQ(0, exported.exitCode) << exported.err;
    EXPECT_EQ("Wrote " + off + "\n", exported.out);

    const std::string absent = temp("no-such-models");
    const CliRun batch = run("batch --models " + quote(absent) + " --out " + quote(temp("b")) +
                             " --strategies BreadthFirstUnfolder");
    EXPECT_EQ(1, batch.exitCode);
    EXPECT_NE(std::string::npos, batch.err.find(absent)) << batch.err;
}

TEST_F(CliTest, MeshesInSeveralPiecesAreReportedAndUnfoldSaysWhatItCanDo) {
    // Two tetrahedra sharing vertex 0: two components and one pinched vertex.
    const std::string off = temp("bowtie.off");
    writeFile(off, "OFF\n7 8 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n-1 0 0\n0 -1 0\n0 0 -1\n"
                   "3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n"
                   "3 0 5 4\n3 0 4 6\n3 0 6 5\n3 4 5 6\n");
    const CliRun info = run("info " + quote(off));
    EXPECT_EQ(0, info.exitCode) << info.err;
    EXPECT_NE(std::string::npos, info.out.find("  components: 2\n  non-manifold vertices: 1\n"))
        << info.out;

    const CliRun unfold = run("unfold " + quote(off) + " --strategy BreadthFirstUnfolder");
    EXPECT_NE(std::string::npos,
              unfold.err.find("2 components; only the starting face's component can be "
                              "unfolded into one net"))
        << unfold.err;
    EXPECT_NE(std::string::npos, unfold.out.find("Faces placed: 4 / 8\n")) << unfold.out;
    EXPECT_NE(std::string::npos, unfold.out.find("Success: no\n")) << unfold.out;
}

TEST_F(CliTest, InfoOnEveryExampleFormat) {
    struct Expect {
        const char* file;
        const char* counts;
    };
    const Expect expected[] = {
        {"cube.off", "  vertices: 8\n  faces: 6\n  edges: 12\n  closed: yes\n"},
        {"tetrahedron.obj", "  vertices: 4\n  faces: 4\n  edges: 6\n  closed: yes\n"},
        {"octahedron.stl", "  vertices: 6\n  faces: 8\n  edges: 12\n  closed: yes\n"},
        {"l-prism.ply", "  vertices: 12\n  faces: 8\n  edges: 18\n  closed: yes\n"},
        {"icosahedron.xml", "  vertices: 12\n  faces: 20\n  edges: 30\n  closed: yes\n"},
    };
    for (const Expect& e : expected) {
        CliRun info = run("info " + example(e.file));
        EXPECT_EQ(0, info.exitCode) << e.file << ": " << info.err;
        EXPECT_NE(std::string::npos, info.out.find("objects: 1\n")) << info.out;
        EXPECT_NE(std::string::npos, info.out.find(e.counts)) << e.file << ":\n" << info.out;
        EXPECT_NE(std::string::npos, info.out.find("  boundary edges: 0\n  non-manifold edges: 0\n"
                                                   "  Euler characteristic: 2\n"))
            << info.out;
        EXPECT_TRUE(info.err.empty()) << info.err;
    }

    CliRun scene = run("info " + example("two-meshes.xml"));
    EXPECT_EQ(0, scene.exitCode) << scene.err;
    EXPECT_NE(std::string::npos, scene.out.find("objects: 2\n")) << scene.out;
    EXPECT_NE(std::string::npos, scene.out.find("mesh 2 (PolyMesh):")) << scene.out;
}

TEST_F(CliTest, BadInputGivesOneLineNamingFileAndLine) {
    std::string bad = temp("cube.off");
    writeFile(bad, "OFF\n8 6 12\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n"
                   "4 0 3 2 1\n4 4 5 6 7\n4 0 1 5 4\n4 1 2 9 5\n4 2 3 7 6\n4 3 0 4 7\n");
    CliRun info = run("info " + quote(bad));
    EXPECT_EQ(1, info.exitCode);
    EXPECT_EQ("vorn-cli: " + bad + ":14: face 3: vertex index 9 out of range (0..7)\n", info.err);
    EXPECT_TRUE(info.out.empty());

    std::string xml = temp("broken.xml");
    writeFile(xml, "<?xml version=\"1.0\" ?>\n<SceneRoot>\n  <Children>\n</SceneRoot>\n");
    CliRun parse = run("info " + quote(xml));
    EXPECT_EQ(1, parse.exitCode);
    EXPECT_EQ(0u, parse.err.find("vorn-cli: " + xml + ":4: ")) << parse.err;
    EXPECT_EQ(1, std::count(parse.err.begin(), parse.err.end(), '\n')) << parse.err;

    CliRun absent = run("info " + quote(temp("absent.off")));
    EXPECT_EQ(1, absent.exitCode);
    EXPECT_EQ(0u, absent.err.find("vorn-cli: " + temp("absent.off") + ": ")) << absent.err;

    CliRun unknown = run("info " + quote(temp("model.3ds")));
    EXPECT_EQ(1, unknown.exitCode);
    EXPECT_EQ("vorn-cli: " + temp("model.3ds") +
                  ": unknown file type (no loader reads this extension)\n",
              unknown.err);
}

TEST_F(CliTest, ConvertAndExportRoundTrip) {
    std::string xml = temp("prism.xml"), off = temp("prism.off");
    ASSERT_EQ(0, run("convert " + example("l-prism.ply") + " " + quote(xml)).exitCode);
    ASSERT_EQ(0, run("convert " + quote(xml) + " " + quote(off)).exitCode);
    std::string offText = ReadFileText(off);
    EXPECT_EQ(0u, offText.find("OFF\n12 8 0\n")) << offText;
    // The six-sided end caps stay polygons.
    EXPECT_NE(std::string::npos, offText.find("\n6 ")) << offText;

    CliRun back = run("info " + quote(off));
    EXPECT_EQ(0, back.exitCode) << back.err;
    EXPECT_NE(std::string::npos, back.out.find("  vertices: 12\n  faces: 8\n  edges: 18\n"));

    std::string exported = temp("exported.off");
    ASSERT_EQ(0, run("export-off " + quote(xml) + " " + quote(exported)).exitCode);
    EXPECT_EQ(offText, ReadFileText(exported));
}

TEST_F(CliTest, ExportFailuresAreReported) {
    std::string empty = temp("empty.xml");
    writeFile(empty, "<?xml version=\"1.0\" ?>\n<SceneRoot></SceneRoot>\n");
    CliRun none = run("export-off " + quote(empty) + " " + quote(temp("out.off")));
    EXPECT_EQ(1, none.exitCode);
    EXPECT_EQ("vorn-cli: " + empty + ": no mesh to export\n", none.err);
    EXPECT_FALSE(fs::exists(temp("out.off")));

    std::string nowhere = temp("no/such/folder/out.off");
    CliRun unwritable = run("export-off " + example("cube.off") + " " + quote(nowhere));
    EXPECT_EQ(1, unwritable.exitCode);
    EXPECT_NE(std::string::npos, unwritable.err.find(nowhere)) << unwritable.err;
}

} // namespace
