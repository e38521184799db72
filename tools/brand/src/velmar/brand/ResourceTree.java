package velmar.brand;

import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;

/**
 * The resources of a PE file as type, name and language, each with its
 * data, read from and written to the layout of a .rsrc section.
 *
 * The layout written is the one the GNU tools use: every directory table,
 * breadth first, then the names, the data entries, and the data, each piece
 * of data on an 8-byte boundary. Windows needs only the sort order of the
 * entries; the layout keeps a rebuilt section looking like a linked one.
 */
final class ResourceTree {
    /** The data of one resource and the code page its data entry names. */
    static final class Resource {
        final byte[] data;
        final long codePage;

        Resource(byte[] data, long codePage) {
            this.data = data;
            this.codePage = codePage;
        }
    }

    static final int RT_ICON = 3;
    static final int RT_DIALOG = 5;
    static final int RT_STRING = 6;
    static final int RT_GROUP_ICON = 14;
    static final int RT_VERSION = 16;
    static final int RT_MANIFEST = 24;

    private static final int SUBDIRECTORY = 0x80000000;
    private static final int MAX_ENTRIES = 0x10000;

    final TreeMap<ResourceKey, TreeMap<ResourceKey, TreeMap<ResourceKey, Resource>>> types =
            new TreeMap<>();

    TreeMap<ResourceKey, TreeMap<ResourceKey, Resource>> type(int id) {
        return types.computeIfAbsent(ResourceKey.of(id), key -> new TreeMap<>());
    }

    boolean has(int type, int name) {
        Map<ResourceKey, TreeMap<ResourceKey, Resource>> names = types.get(ResourceKey.of(type));
        return names != null && names.containsKey(ResourceKey.of(name));
    }

    /**
     * Reads the tree of a .rsrc section whose first byte is at the given
     * relative virtual address; data entries hold addresses of that kind.
     */
    static ResourceTree parse(byte[] section, long sectionRva) throws BrandException {
        ResourceTree tree = new ResourceTree();
        for (Map.Entry<ResourceKey, Integer> type : entries(section, 0, true).entrySet()) {
            TreeMap<ResourceKey, TreeMap<ResourceKey, Resource>> names = new TreeMap<>();
            for (Map.Entry<ResourceKey, Integer> name : entries(section, type.getValue(), true).entrySet()) {
                TreeMap<ResourceKey, Resource> languages = new TreeMap<>();
                for (Map.Entry<ResourceKey, Integer> language :
                        entries(section, name.getValue(), false).entrySet()) {
                    languages.put(language.getKey(), data(section, sectionRva, language.getValue()));
                }
                names.put(name.getKey(), languages);
            }
            tree.types.put(type.getKey(), names);
        }
        return tree;
    }

    /** The entries of one directory table: key and the offset it points to. */
    private static Map<ResourceKey, Integer> entries(byte[] section, int table, boolean subdirectories)
            throws BrandException {
        int named = LittleEndian.u16(section, table + 12, "a resource directory");
        int numbered = LittleEndian.u16(section, table + 14, "a resource directory");
        Map<ResourceKey, Integer> entries = new TreeMap<>();
        for (int i = 0; i < named + numbered; i++) {
            int entry = table + 16 + 8 * i;
            long nameField = LittleEndian.u32(section, entry, "a resource entry");
            long target = LittleEndian.u32(section, entry + 4, "a resource entry");
            if (((target & SUBDIRECTORY) != 0) != subdirectories) {
                throw new BrandException("the resource directory is not three levels deep");
            }
            ResourceKey key = (nameField & SUBDIRECTORY) != 0
                    ? ResourceKey.of(name(section, (int) (nameField & ~SUBDIRECTORY & 0xffffffffL)))
                    : ResourceKey.of((int) nameField);
            entries.put(key, (int) (target & ~SUBDIRECTORY & 0xffffffffL));
        }
        return entries;
    }

    private static String name(byte[] section, int offset) throws BrandException {
        int length = LittleEndian.u16(section, offset, "a resource name");
        LittleEndian.check(section, offset + 2, 2L * length, "a resource name");
        return new String(section, offset + 2, 2 * length, StandardCharsets.UTF_16LE);
    }

    private static Resource data(byte[] section, long sectionRva, int entry) throws BrandException {
        long rva = LittleEndian.u32(section, entry, "a resource data entry");
        long size = LittleEndian.u32(section, entry + 4, "a resource data entry");
        long codePage = LittleEndian.u32(section, entry + 8, "a resource data entry");
        long offset = rva - sectionRva;
        LittleEndian.check(section, offset, size, "resource data");
        byte[] data = new byte[(int) size];
        System.arraycopy(section, (int) offset, data, 0, (int) size);
        return new Resource(data, codePage);
    }

    /** The section's bytes when its first byte is at the given address. */
    byte[] build(long sectionRva) throws BrandException {
        List<TreeMap<ResourceKey, ?>> tables = new ArrayList<>();
        tables.add(types);
        tables.addAll(types.values());
        for (TreeMap<ResourceKey, TreeMap<ResourceKey, Resource>> names : types.values()) {
            tables.addAll(names.values());
        }
        List<Resource> leaves = new ArrayList<>();
        List<String> names = new ArrayList<>();
        int tablesSize = 0;
        for (TreeMap<ResourceKey, ?> table : tables) {
            if (table.size() > MAX_ENTRIES) {
                throw new BrandException("too many resources");
            }
            tablesSize += 16 + 8 * table.size();
            for (Map.Entry<ResourceKey, ?> entry : table.entrySet()) {
                if (entry.getKey().isName()) {
                    names.add(entry.getKey().name);
                }
                if (entry.getValue() instanceof Resource) {
                    leaves.add((Resource) entry.getValue());
                }
            }
        }
        int namesSize = 0;
        for (String name : names) {
            namesSize += 2 + 2 * name.length();
        }
        int entriesStart = LittleEndian.align(tablesSize + namesSize, 4);
        int dataStart = LittleEndian.align(entriesStart + 16 * leaves.size(), 8);
        int end = dataStart;
        for (Resource leaf : leaves) {
            end = LittleEndian.align(end, 8) + leaf.data.length;
        }
        byte[] out = new byte[LittleEndian.align(end, 8)];
        new Writer(out, tables, tablesSize, entriesStart, dataStart, sectionRva).write();
        return out;
    }

    /** Places the pieces computed by build() into the section's bytes. */
    private static final class Writer {
        private final byte[] out;
        private final List<TreeMap<ResourceKey, ?>> tables;
        private final long sectionRva;
        private int nextName;
        private int nextEntry;
        private int nextData;

        Writer(byte[] out, List<TreeMap<ResourceKey, ?>> tables, int namesStart, int entriesStart,
                int dataStart, long sectionRva) {
            this.out = out;
            this.tables = tables;
            this.sectionRva = sectionRva;
            this.nextName = namesStart;
            this.nextEntry = entriesStart;
            this.nextData = dataStart;
        }

        void write() {
            // Tables were listed breadth first, so the subdirectory of the
            // n-th non-leaf entry is table n + 1.
            int tableOffset = 0;
            int childTable = 1;
            int[] offsets = new int[tables.size()];
            for (int t = 0; t < tables.size(); t++) {
                offsets[t] = tableOffset;
                tableOffset += 16 + 8 * tables.get(t).size();
            }
            for (int t = 0; t < tables.size(); t++) {
                TreeMap<ResourceKey, ?> table = tables.get(t);
                int named = 0;
                for (ResourceKey key : table.keySet()) {
                    named += key.isName() ? 1 : 0;
                }
                LittleEndian.put16(out, offsets[t] + 12, named);
                LittleEndian.put16(out, offsets[t] + 14, table.size() - named);
                int entry = offsets[t] + 16;
                for (Map.Entry<ResourceKey, ?> item : table.entrySet()) {
                    LittleEndian.put32(out, entry, keyField(item.getKey()));
                    if (item.getValue() instanceof Resource) {
                        LittleEndian.put32(out, entry + 4, dataEntry((Resource) item.getValue()));
                    } else {
                        LittleEndian.put32(out, entry + 4, (offsets[childTable++] | SUBDIRECTORY) & 0xffffffffL);
                    }
                    entry += 8;
                }
            }
        }

        private long keyField(ResourceKey key) {
            if (!key.isName()) {
                return key.id & 0xffffffffL;
            }
            int offset = nextName;
            LittleEndian.put16(out, offset, key.name.length());
            byte[] text = key.name.getBytes(StandardCharsets.UTF_16LE);
            System.arraycopy(text, 0, out, offset + 2, text.length);
            nextName += 2 + text.length;
            return (offset | SUBDIRECTORY) & 0xffffffffL;
        }

        private int dataEntry(Resource resource) {
            int entry = nextEntry;
            nextData = LittleEndian.align(nextData, 8);
            LittleEndian.put32(out, entry, sectionRva + nextData);
            LittleEndian.put32(out, entry + 4, resource.data.length);
            LittleEndian.put32(out, entry + 8, resource.codePage);
            System.arraycopy(resource.data, 0, out, nextData, resource.data.length);
            nextData += resource.data.length;
            nextEntry += 16;
            return entry;
        }
    }
}
