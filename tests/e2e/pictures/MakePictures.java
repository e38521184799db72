// Writes the splash tests' pictures in the formats other than BMP (which the
// tests write themselves): 64 x 48 pixels of RGB(0x20, 0x80, 0xC0).
// Run from this folder: java MakePictures.java
import java.awt.image.BufferedImage;
import java.io.File;
import javax.imageio.ImageIO;

public class MakePictures {
    public static void main(String[] args) throws Exception {
        BufferedImage picture = new BufferedImage(64, 48, BufferedImage.TYPE_INT_RGB);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                picture.setRGB(x, y, 0x2080C0);
            }
        }
        for (String format : new String[] {"png", "gif", "jpg"}) {
            ImageIO.write(picture, format, new File("splash." + format));
        }
    }
}
