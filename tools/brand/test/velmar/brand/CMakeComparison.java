package velmar.brand;

import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Arrays;
import java.util.Map;
import java.util.TreeMap;

/**
 * A launcher branded by a CMake build and one branded by the tool with
 * the same options carry the same resources: every type, name, language
 * and byte of data, icons, version block and manifest included.
 */
final class CMakeComparison {
    private CMakeComparison() {
    }

    /** args: "compare", the plain launcher, the CMake-branded one, then the tool's options. */
    static void run(String[] args) throws Exception {
        Path launcher = Paths.get(args[1]);
        Path reference = Paths.get(args[2]);
        Path folder = Files.createTempDirectory("velmar-brand-compare");
        Path output = folder.resolve(reference.getFileName());
        try {
            LauncherTest.brand(launcher, output, Arrays.copyOfRange(args, 3, args.length));
            ResourceTree cmake = PeImage.parse(Files.readAllBytes(reference)).resources();
            ResourceTree tool = PeImage.parse(Files.readAllBytes(output)).resources();
            compare(cmake, tool);
        } finally {
            Files.deleteIfExists(output);
            Files.delete(folder);
        }
    }

    private static void compare(ResourceTree cmake, ResourceTree tool) {
        Check.equal(cmake.types.keySet(), tool.types.keySet(), "resource types");
        for (Map.Entry<ResourceKey, TreeMap<ResourceKey, TreeMap<ResourceKey, ResourceTree.Resource>>> type :
                cmake.types.entrySet()) {
            TreeMap<ResourceKey, TreeMap<ResourceKey, ResourceTree.Resource>> names =
                    tool.types.getOrDefault(type.getKey(), new TreeMap<>());
            Check.equal(type.getValue().keySet(), names.keySet(), "names of type " + type.getKey());
            for (Map.Entry<ResourceKey, TreeMap<ResourceKey, ResourceTree.Resource>> name : type.getValue().entrySet()) {
                TreeMap<ResourceKey, ResourceTree.Resource> languages = names.getOrDefault(name.getKey(), new TreeMap<>());
                String what = "resource " + type.getKey() + "/" + name.getKey();
                Check.equal(name.getValue().keySet(), languages.keySet(), "languages of " + what);
                for (Map.Entry<ResourceKey, ResourceTree.Resource> language : name.getValue().entrySet()) {
                    ResourceTree.Resource mine = languages.get(language.getKey());
                    Check.equal(language.getValue().data, mine == null ? null : mine.data,
                            "data of " + what + "/" + language.getKey());
                }
            }
        }
    }
}
