package velmar.brand;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Map;
import java.util.TreeMap;

/** The tool on a built launcher: what it writes, what it keeps, and what it refuses. */
final class LauncherTest {
    private LauncherTest() {
    }

    static void run(Path launcher, Path icon) throws Exception {
        byte[] original = Files.readAllBytes(launcher);
        Path folder = Files.createTempDirectory("velmar-brand-test");
        try {
            versionBlockAsCompiled(original);
            Path first = folder.resolve("First.exe");
            brand(launcher, first, "--icon", icon.toString(), "--product-name", "My App", "--product-version", "2.1",
                    "--company", "Example Ltd", "--copyright", "(c) 2026 Example Ltd", "--execution-level",
                    "highestAvailable");
            keptOptions(first, folder.resolve("Second.exe"));
            unchangedElsewhere(original, Files.readAllBytes(first));
            growth(launcher, folder);
            refusals(launcher, icon, folder);
            Check.equal(original, Files.readAllBytes(launcher), "the launcher after every run");
        } finally {
            for (Path path : Files.list(folder).toArray(Path[]::new)) {
                Files.delete(path);
            }
            Files.delete(folder);
        }
    }

    /** Re-encoding the compiler's block gives its very bytes: the tool writes blocks as it does. */
    private static void versionBlockAsCompiled(byte[] program) throws BrandException {
        byte[] block = version(program);
        Check.equal(block, VersionBlock.parse(block).encode(), "the launcher's version block re-encoded");
    }

    /** A second brand changes what it names and keeps what the first one set. */
    private static void keptOptions(Path first, Path second) throws Exception {
        brand(first, second, "--product-name", "Renamed");
        VersionBlock block = VersionBlock.parse(version(Files.readAllBytes(second)));
        String[][] expected = {
            {"ProductName", "Renamed"}, {"FileDescription", "Renamed"}, {"CompanyName", "Example Ltd"},
            {"LegalCopyright", "(c) 2026 Example Ltd"}, {"FileVersion", "2.1"}, {"ProductVersion", "2.1"},
            {"OriginalFilename", "Second.exe"}, {"InternalName", "Second.exe"},
        };
        for (String[] row : expected) {
            Check.equal(row[1], block.string(row[0]), row[0] + " after a second brand");
        }
        Check.equal(0x00020001L, LittleEndian.u32(block.root.value, 8, ""), "FILEVERSION high after a second brand");
        Check.equal(0L, LittleEndian.u32(block.root.value, 12, ""), "FILEVERSION low after a second brand");
        String manifest = new String(resource(Files.readAllBytes(second), ResourceTree.RT_MANIFEST, 1), StandardCharsets.UTF_8);
        Check.that(manifest.contains("level=\"highestAvailable\""), "execution level kept by a second brand");
    }

    /**
     * Outside the resources and the fields that describe them, the output
     * is the launcher byte for byte; the relocations are the same bytes.
     */
    private static void unchangedElsewhere(byte[] before, byte[] after) throws BrandException {
        PeImage in = PeImage.parse(before);
        PeImage out = PeImage.parse(after);
        PeImage.Section rsrc = section(in, ".rsrc");
        Check.equal(Arrays.copyOf(masked(before, in), rsrc.rawPointer), Arrays.copyOf(masked(after, out), rsrc.rawPointer),
                "headers and sections before the resources");
        PeImage.Section relocIn = section(in, ".reloc");
        PeImage.Section relocOut = section(out, ".reloc");
        Check.equal(Arrays.copyOfRange(before, relocIn.rawPointer, relocIn.rawPointer + relocIn.rawSize),
                Arrays.copyOfRange(after, relocOut.rawPointer, relocOut.rawPointer + relocOut.rawSize), "relocations");
        Check.equal(in.directoryAddress(5) - relocIn.virtualAddress, out.directoryAddress(5) - relocOut.virtualAddress,
                "relocation directory within its section");
        Check.equal(in.directorySize(5), out.directorySize(5), "relocation directory size");
        PeImage.Section last = out.sections.get(out.sections.size() - 1);
        Check.equal((last.virtualAddress + last.virtualSize + 0xfff) / 0x1000 * 0x1000,
                LittleEndian.u32(after, optionalHeader(after) + 56, ""), "SizeOfImage");
        Check.equal(after.length, last.rawPointer + last.rawSize, "file ends with the last section");
    }

    /** An icon far larger than the launcher's own makes the resources grow past the relocations. */
    private static void growth(Path launcher, Path folder) throws Exception {
        Path big = folder.resolve("big.ico");
        Files.write(big, TestIcons.ico(new int[] {0, 0, 0, 0, 1, 32}, TestIcons.png(70000),
                new int[] {48, 48, 0, 0, 1, 32}, TestIcons.bitmap(9000)));
        Path out = folder.resolve("Big.exe");
        brand(launcher, out, "--icon", big.toString());
        byte[] before = Files.readAllBytes(launcher);
        byte[] after = Files.readAllBytes(out);
        Check.that(section(PeImage.parse(after), ".reloc").virtualAddress
                > section(PeImage.parse(before), ".reloc").virtualAddress, "relocations moved up");
        unchangedElsewhere(before, after);
        Check.equal(Files.readAllBytes(big).length - 6 - 32, resource(after, ResourceTree.RT_ICON, 1).length
                + resource(after, ResourceTree.RT_ICON, 2).length, "both images in the grown resources");
        Check.that(!PeImage.parse(after).resources().has(ResourceTree.RT_ICON, 3), "old icon images dropped");
    }

    private static void refusals(Path launcher, Path icon, Path folder) throws Exception {
        byte[] program = Files.readAllBytes(launcher);
        Path notOurs = write(folder, "other.exe", withoutDialogs(program));
        Path nativeProgram = write(folder, "native.exe", patched(program, optionalHeader(program) + 68, 1));
        Path signed = write(folder, "signed.exe", patched(program, optionalHeader(program)
                + (PeImage.parse(program).machine == PeImage.MACHINE_AMD64 ? 112 : 96) + 8 * 4 + 4, 0x800));
        Path text = write(folder, "text.ico", "not an icon".getBytes(StandardCharsets.US_ASCII));
        Path noImage = write(folder, "empty.ico", new byte[] {0, 0, 1, 0, 0, 0});
        Path kept = write(folder, "Kept.exe", new byte[] {1, 2, 3});
        Files.createDirectory(folder.resolve("Folder.exe"));
        Object[][] rows = {
            {"a file that is no program", icon, folder.resolve("A.exe"), new String[0]},
            {"a program without the dialogs", notOurs, folder.resolve("A.exe"), new String[0]},
            {"a native program", nativeProgram, folder.resolve("A.exe"), new String[0]},
            {"a signed launcher", signed, folder.resolve("A.exe"), new String[0]},
            {"a missing launcher", folder.resolve("missing.exe"), folder.resolve("A.exe"), new String[0]},
            {"a text file as icon", launcher, folder.resolve("A.exe"), new String[] {"--icon", text.toString()}},
            {"an icon of no image", launcher, folder.resolve("A.exe"), new String[] {"--icon", noImage.toString()}},
            {"a missing icon", launcher, folder.resolve("A.exe"), new String[] {"--icon", folder.resolve("no.ico").toString()}},
            {"version 65536", launcher, folder.resolve("A.exe"), new String[] {"--product-version", "65536"}},
            {"version of five numbers", launcher, kept, new String[] {"--product-version", "1.2.3.4.5"}},
            {"output in a missing folder", launcher, folder.resolve("no/A.exe"), new String[0]},
            {"output that is a folder", launcher, folder.resolve("Folder.exe"), new String[0]},
            {"output that is the launcher", kept, kept, new String[0]},
            {"bad icon over an existing output", launcher, kept, new String[] {"--icon", text.toString()}},
        };
        String[] listing = names(folder);
        for (Object[] row : rows) {
            String[] args = concat(new String[] {"--launcher", row[1].toString(), "--output", row[2].toString()},
                    (String[]) row[3]);
            String[] lines = runTool(args).split("\n", -1);
            String what = "refusing " + row[0];
            Check.that(lines.length == 2 && lines[0].startsWith("velmar-brand: ") && lines[1].isEmpty(),
                    what + ": one line of error, got " + Arrays.toString(lines));
            Check.that(lastExit != 0, what + ": a non-zero exit code");
            Check.equal(Arrays.toString(listing), Arrays.toString(names(folder)), what + ": the folder's files");
            Check.equal(new byte[] {1, 2, 3}, Files.readAllBytes(kept), what + ": an existing output");
        }
    }

    private static int lastExit;

    private static String runTool(String[] args) {
        PrintStream saved = System.err;
        ByteArrayOutputStream captured = new ByteArrayOutputStream();
        System.setErr(new PrintStream(captured, true));
        try {
            lastExit = BrandTool.run(args);
        } finally {
            System.setErr(saved);
        }
        return new String(captured.toByteArray(), StandardCharsets.UTF_8).replace("\r", "");
    }

    static void brand(Path launcher, Path output, String... options) throws BrandException {
        String errors = runTool(concat(new String[] {"--launcher", launcher.toString(), "--output", output.toString()},
                options));
        if (lastExit != 0) {
            throw new BrandException("branding " + output + " failed: " + errors.trim());
        }
    }

    private static byte[] withoutDialogs(byte[] program) throws BrandException {
        PeImage image = PeImage.parse(program);
        ResourceTree tree = image.resources();
        tree.types.remove(ResourceKey.of(ResourceTree.RT_DIALOG));
        return image.withResources(tree);
    }

    static byte[] version(byte[] program) throws BrandException {
        return resource(program, ResourceTree.RT_VERSION, 1);
    }

    static byte[] resource(byte[] program, int type, int name) throws BrandException {
        Map<ResourceKey, TreeMap<ResourceKey, ResourceTree.Resource>> names =
                PeImage.parse(program).resources().types.get(ResourceKey.of(type));
        TreeMap<ResourceKey, ResourceTree.Resource> languages = names == null ? null : names.get(ResourceKey.of(name));
        return languages == null ? new byte[0] : languages.firstEntry().getValue().data;
    }

    private static PeImage.Section section(PeImage image, String name) {
        for (PeImage.Section section : image.sections) {
            if (section.name.equals(name)) {
                return section;
            }
        }
        throw new AssertionError("no section " + name);
    }

    private static int optionalHeader(byte[] program) throws BrandException {
        return LittleEndian.index(program, 60, "") + 24;
    }

    /** The file with the fields a rewrite of the resources may change set to zero. */
    private static byte[] masked(byte[] program, PeImage image) throws BrandException {
        byte[] copy = program.clone();
        int optional = optionalHeader(program);
        int directories = optional + (image.machine == PeImage.MACHINE_AMD64 ? 112 : 96);
        for (int field : new int[] {optional + 8, optional + 56, optional + 64, directories + 8 * 2 + 4, directories + 8 * 5}) {
            LittleEndian.put32(copy, field, 0);
        }
        for (PeImage.Section section : image.sections) {
            if (section.name.equals(".rsrc") || section.name.equals(".reloc")) {
                for (int field : new int[] {8, 12, 16, 20}) {
                    LittleEndian.put32(copy, section.header + field, 0);
                }
            }
        }
        return copy;
    }

    private static byte[] patched(byte[] program, int offset, long value) {
        byte[] copy = program.clone();
        LittleEndian.put32(copy, offset, value);
        return copy;
    }

    private static Path write(Path folder, String name, byte[] bytes) throws IOException {
        return Files.write(folder.resolve(name), bytes);
    }

    private static String[] names(Path folder) throws IOException {
        return Files.list(folder).map(path -> path.getFileName().toString()).sorted().toArray(String[]::new);
    }

    static String[] concat(String[] a, String[] b) {
        String[] all = Arrays.copyOf(a, a.length + b.length);
        System.arraycopy(b, 0, all, a.length, b.length);
        return all;
    }
}
