package velmar.brand;

import java.util.Map;
import java.util.TreeMap;

/**
 * What a brand changes in a launcher's resources: the icon group and its
 * images, the version block, and the manifest's execution level. Checks
 * first that the program is a launcher of ours.
 */
final class Branding {
    private Branding() {
    }

    /** The marks of a launcher: its processor, the GUI or console subsystem, its dialogs and messages. */
    static void checkLauncher(PeImage image, ResourceTree tree) throws BrandException {
        boolean ours = (image.subsystem == PeImage.SUBSYSTEM_WINDOWS_GUI
                        || image.subsystem == PeImage.SUBSYSTEM_WINDOWS_CONSOLE)
                && tree.has(ResourceTree.RT_DIALOG, 201) && tree.has(ResourceTree.RT_DIALOG, 231)
                // Messages 202 to 230 lie in the string blocks 13 to 15 (16 strings a block, from 1).
                && tree.has(ResourceTree.RT_STRING, 13) && tree.has(ResourceTree.RT_STRING, 14)
                && tree.has(ResourceTree.RT_STRING, 15)
                && tree.has(ResourceTree.RT_VERSION, 1) && tree.has(ResourceTree.RT_MANIFEST, 1)
                && tree.types.containsKey(ResourceKey.of(ResourceTree.RT_GROUP_ICON));
        if (!ours) {
            throw new BrandException("not a velmar launcher");
        }
    }

    static void applyIcon(ResourceTree tree, IconFile icon) throws BrandException {
        TreeMap<ResourceKey, TreeMap<ResourceKey, ResourceTree.Resource>> groups = tree.type(ResourceTree.RT_GROUP_ICON);
        if (groups.size() != 1 || groups.firstEntry().getValue().size() != 1) {
            throw new BrandException("the launcher should have one icon group in one language");
        }
        TreeMap<ResourceKey, ResourceTree.Resource> group = groups.firstEntry().getValue();
        ResourceKey language = group.firstKey();
        group.put(language, new ResourceTree.Resource(icon.group(1), group.get(language).codePage));
        TreeMap<ResourceKey, TreeMap<ResourceKey, ResourceTree.Resource>> images = tree.type(ResourceTree.RT_ICON);
        images.clear();
        for (int i = 0; i < icon.images.size(); i++) {
            TreeMap<ResourceKey, ResourceTree.Resource> languages = new TreeMap<>();
            languages.put(language, new ResourceTree.Resource(icon.images.get(i).data, 0));
            images.put(ResourceKey.of(i + 1), languages);
        }
    }

    /** Sets the given texts; a null text keeps the launcher's own. */
    static void applyVersion(ResourceTree tree, BrandOptions options, String fileName) throws BrandException {
        for (Map.Entry<ResourceKey, ResourceTree.Resource> language :
                tree.type(ResourceTree.RT_VERSION).get(ResourceKey.of(1)).entrySet()) {
            VersionBlock block = VersionBlock.parse(language.getValue().data);
            if (options.version() != null) {
                block.setVersion(VersionBlock.numbers(options.version()));
                block.setString("FileVersion", options.version());
                block.setString("ProductVersion", options.version());
            }
            if (options.productName() != null) {
                block.setString("FileDescription", options.productName());
                block.setString("ProductName", options.productName());
            }
            if (options.company() != null) {
                block.setString("CompanyName", options.company());
            }
            if (options.copyright() != null) {
                block.setString("LegalCopyright", options.copyright());
            }
            block.setString("InternalName", fileName);
            block.setString("OriginalFilename", fileName);
            language.setValue(new ResourceTree.Resource(block.encode(), language.getValue().codePage));
        }
    }

    static void applyExecutionLevel(ResourceTree tree, String level) throws BrandException {
        for (Map.Entry<ResourceKey, ResourceTree.Resource> language :
                tree.type(ResourceTree.RT_MANIFEST).get(ResourceKey.of(1)).entrySet()) {
            byte[] manifest = Manifest.withLevel(language.getValue().data, level);
            language.setValue(new ResourceTree.Resource(manifest, language.getValue().codePage));
        }
    }
}
