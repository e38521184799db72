package velmar.brand;

import java.nio.charset.StandardCharsets;

/** The tool's rules that need no launcher: versions, icons, manifests, options, checksums. */
final class RulesTest {
    private RulesTest() {
    }

    static void run() throws Exception {
        versions();
        checksums();
        manifests();
        options();
        icons();
    }

    private static void versions() throws BrandException {
        Object[][] good = {
            {"2.1.0.7", new int[] {2, 1, 0, 7}},
            {"3", new int[] {3, 0, 0, 0}},
            {"1.4", new int[] {1, 4, 0, 0}},
            {"65535.65535.65535.65535", new int[] {65535, 65535, 65535, 65535}},
            {"007.0.1", new int[] {7, 0, 1, 0}},
        };
        for (Object[] row : good) {
            Check.equal(row[1], VersionBlock.numbers((String) row[0]), "version " + row[0]);
        }
        String[] bad = {"", "1.2.3.4.5", "65536", "1.65536.0", "1..2", "a.b", "1.2.", ".1", " 1", "1 ",
            "9999999999", "-1", "1,2", "2.1.0.7-beta"};
        for (String version : bad) {
            Check.that(Check.failureOf(() -> VersionBlock.numbers(version)) != null,
                    "version \"" + version + "\" should be refused");
        }
    }

    private static void checksums() {
        // Sums worked out by hand: 16-bit little-endian words, carries
        // folded back in, the 4-byte field read as zero, plus the length.
        Object[][] cases = {
            {new byte[] {1, 0, 2, 0}, 100, 3L + 4},
            {new byte[] {1, 0, 5}, 100, 6L + 3},
            {new byte[] {(byte) 0xff, (byte) 0xff, 2, 0}, 100, 2L + 4},
            {new byte[] {1, 0, 9, 9, 9, 9, 2, 0}, 2, 3L + 8},
            {new byte[] {0, 0, 0, 0, 0x34, 0x12}, 0, 0x1234L + 6},
            {new byte[] {(byte) 0xff, (byte) 0xff, (byte) 0xff, (byte) 0xff, 1, 0}, 100, 1L + 6},
        };
        for (Object[] row : cases) {
            Check.equal(row[2], PeImage.checksum((byte[]) row[0], (Integer) row[1]),
                    "checksum of " + ((byte[]) row[0]).length + " bytes, field at " + row[1]);
        }
    }

    private static void manifests() throws BrandException {
        String plain = "<a><requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/></a>";
        String[][] good = {
            {plain, "highestAvailable", "<a><requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/></a>"},
            {plain, "requireAdministrator", "<a><requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/></a>"},
            {plain, "asInvoker", plain},
            {"<requestedExecutionLevel uiAccess=\"false\" level=\"asInvoker\"/><level=\"x\"/>", "highestAvailable",
                "<requestedExecutionLevel uiAccess=\"false\" level=\"highestAvailable\"/><level=\"x\"/>"},
        };
        for (String[] row : good) {
            byte[] changed = Manifest.withLevel(row[0].getBytes(StandardCharsets.UTF_8), row[1]);
            Check.equal(row[2], new String(changed, StandardCharsets.UTF_8), "manifest with " + row[1]);
        }
        String[][] bad = {
            {plain, "Administrator"}, {plain, "asinvoker"}, {plain, ""},
            {"<a><requestedPrivileges/></a>", "asInvoker"},
            {plain + plain, "asInvoker"},
        };
        for (String[] row : bad) {
            Check.that(Check.failureOf(() -> Manifest.withLevel(row[0].getBytes(StandardCharsets.UTF_8), row[1])) != null,
                    "manifest " + row[0] + " with level \"" + row[1] + "\" should be refused");
        }
    }

    private static void options() throws BrandException {
        BrandOptions parsed = BrandOptions.parse(new String[] {"--launcher", "x64/velmar.exe", "--output=My App.exe",
            "--product-name", "My App", "--product-version", "2.1", "--company", "", "--execution-level",
            "requireAdministrator"});
        Check.equal("x64/velmar.exe", parsed.get("--launcher"), "--launcher");
        Check.equal("My App.exe", parsed.get("--output"), "--output=");
        Check.equal("", parsed.company(), "an empty --company");
        Check.equal(null, parsed.copyright(), "--copyright left out");
        Check.equal("requireAdministrator", parsed.executionLevel(), "--execution-level");
        String[][] bad = {
            {"--output", "a.exe"},
            {"--launcher", "v.exe"},
            {"--launcher", "v.exe", "--output", "a.exe", "--icon"},
            {"--launcher", "v.exe", "--output", "a.exe", "--name", "x"},
            {"--launcher", "v.exe", "--output", "a.exe", "-icon", "a.ico"},
            {"--launcher", "v.exe", "--output", "a.exe", "--output", "b.exe"},
            {"--launcher", "v.exe", "--output", "a.exe", "--product-version", "1.2.3.4.5"},
            {"--launcher", "v.exe", "--output", "a.exe", "--execution-level", "admin"},
            {"--launcher", "", "--output", "a.exe"},
            {"v.exe", "a.exe"},
        };
        for (String[] row : bad) {
            Check.that(Check.failureOf(() -> BrandOptions.parse(row)) != null,
                    "command line " + String.join(" ", row) + " should be refused");
        }
    }

    private static void icons() throws BrandException {
        byte[] png = TestIcons.png(300);
        byte[] bitmap = TestIcons.bitmap(200);
        byte[] two = TestIcons.ico(new int[] {32, 32, 0, 0, 1, 32}, bitmap, new int[] {0, 0, 0, 0, 1, 32}, png);
        IconFile icon = IconFile.parse(two);
        Check.equal(2, icon.images.size(), "images of a two-image icon");
        Check.equal(bitmap, icon.images.get(0).data, "first image's data");
        Check.equal(png, icon.images.get(1).data, "second image's data");
        byte[] expectedGroup = {
            0, 0, 1, 0, 2, 0,
            32, 32, 0, 0, 1, 0, 32, 0, (byte) 200, 0, 0, 0, 5, 0,
            0, 0, 0, 0, 1, 0, 32, 0, 44, 1, 0, 0, 6, 0,
        };
        Check.equal(expectedGroup, icon.group(5), "group naming images 5 and 6");

        byte[] cursor = two.clone();
        cursor[2] = 2;
        byte[] noImages = {0, 0, 1, 0, 0, 0};
        byte[] cut = java.util.Arrays.copyOf(two, 20);
        byte[] pastEnd = java.util.Arrays.copyOf(two, two.length - 1);
        byte[] garbage = TestIcons.ico(new int[] {16, 16, 0, 0, 1, 32}, "just some text, no picture".getBytes(StandardCharsets.US_ASCII));
        byte[] empty = TestIcons.ico(new int[] {16, 16, 0, 0, 1, 32}, new byte[0]);
        Object[][] bad = {
            {"an empty file", new byte[0]}, {"a cursor", cursor}, {"no images", noImages},
            {"a cut directory", cut}, {"an image past the end", pastEnd}, {"text as an image", garbage},
            {"an empty image", empty}, {"a PNG file", png},
        };
        for (Object[] row : bad) {
            Check.that(Check.failureOf(() -> IconFile.parse((byte[]) row[1])) != null,
                    "an icon of " + row[0] + " should be refused");
        }
    }
}
