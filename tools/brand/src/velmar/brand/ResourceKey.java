package velmar.brand;

/**
 * A resource type, name or language: a number, or a name. Windows finds
 * entries by binary search, so a directory lists its names first, in
 * ascending order, then its numbers, in ascending order.
 */
final class ResourceKey implements Comparable<ResourceKey> {
    final int id;
    final String name;

    private ResourceKey(int id, String name) {
        this.id = id;
        this.name = name;
    }

    static ResourceKey of(int id) {
        return new ResourceKey(id, null);
    }

    static ResourceKey of(String name) {
        return new ResourceKey(-1, name);
    }

    boolean isName() {
        return name != null;
    }

    @Override
    public int compareTo(ResourceKey other) {
        if (isName() != other.isName()) {
            return isName() ? -1 : 1;
        }
        return isName() ? name.compareTo(other.name) : Integer.compare(id, other.id);
    }

    @Override
    public boolean equals(Object other) {
        return other instanceof ResourceKey && compareTo((ResourceKey) other) == 0;
    }

    @Override
    public int hashCode() {
        return isName() ? name.hashCode() : id;
    }

    @Override
    public String toString() {
        return isName() ? "\"" + name + "\"" : Integer.toString(id);
    }
}
