package velmar.brand;

import java.util.Map;
import java.util.TreeMap;

/** The .rsrc layout: what is built reads back the same, with entries in the order Windows searches. */
final class ResourceTreeTest {
    private ResourceTreeTest() {
    }

    static void run() throws BrandException {
        // Type, name (Integer or String), language, data length; added out of order on purpose.
        Object[][] resources = {
            {24, 1, 0x409, 5},
            {3, 2, 0x409, 17},
            {3, 1, 0x409, 9},
            {6, "ZETA", 0, 3},
            {6, 13, 0x409, 1},
            {6, "ALPHA", 0x407, 0},
            {6, "ALPHA", 0x409, 33},
            {14, 1, 0x409, 14},
        };
        ResourceTree tree = new ResourceTree();
        for (Object[] row : resources) {
            ResourceKey name = row[1] instanceof String ? ResourceKey.of((String) row[1]) : ResourceKey.of((Integer) row[1]);
            tree.type((Integer) row[0]).computeIfAbsent(name, key -> new TreeMap<>())
                    .put(ResourceKey.of((Integer) row[2]), new ResourceTree.Resource(data((Integer) row[3], row), 1252));
        }
        long rva = 0x31000;
        byte[] built = tree.build(rva);
        ResourceTree back = ResourceTree.parse(built, rva);
        for (Object[] row : resources) {
            ResourceKey name = row[1] instanceof String ? ResourceKey.of((String) row[1]) : ResourceKey.of((Integer) row[1]);
            Map<ResourceKey, ResourceTree.Resource> languages =
                    back.types.getOrDefault(ResourceKey.of((Integer) row[0]), new TreeMap<>()).get(name);
            ResourceTree.Resource resource = languages == null ? null : languages.get(ResourceKey.of((Integer) row[2]));
            String what = "resource " + row[0] + "/" + row[1] + "/" + row[2];
            Check.that(resource != null, what + " read back");
            if (resource != null) {
                Check.equal(data((Integer) row[3], row), resource.data, what + " data");
                Check.equal(1252L, resource.codePage, what + " code page");
            }
        }
        // The root lists types 3, 6, 14, 24; type 6 lists its two names, then number 13.
        Check.equal(4, LittleEndian.u16(built, 14, ""), "numbered types at the root");
        int[] typeIds = new int[4];
        for (int i = 0; i < 4; i++) {
            typeIds[i] = (int) LittleEndian.u32(built, 16 + 8 * i, "");
        }
        Check.equal(new int[] {3, 6, 14, 24}, typeIds, "types in ascending order");
        int strings = (int) (LittleEndian.u32(built, 16 + 8 + 4, "") & 0x7fffffff);
        Check.equal(2, LittleEndian.u16(built, strings + 12, ""), "named entries of type 6");
        Check.equal(1, LittleEndian.u16(built, strings + 14, ""), "numbered entries of type 6");
        Check.equal(13L, LittleEndian.u32(built, strings + 16 + 16, ""), "the number after the names");
        Check.that(Check.failureOf(() -> ResourceTree.parse(java.util.Arrays.copyOf(built, 40), rva)) != null,
                "a cut section should be refused");
    }

    private static byte[] data(int length, Object[] row) {
        byte[] data = new byte[length];
        for (int i = 0; i < length; i++) {
            data[i] = (byte) (row[1].hashCode() + 31 * (Integer) row[0] + i);
        }
        return data;
    }
}
