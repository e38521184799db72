package velmar.brand;

/** A reason the branding cannot be done, told to the user as one line. */
final class BrandException extends Exception {
    private static final long serialVersionUID = 1L;

    BrandException(String message) {
        super(message);
    }
}
