package example.notes;

import java.awt.BorderLayout;
import java.text.SimpleDateFormat;
import java.util.Arrays;
import java.util.Date;
import javax.swing.DefaultListModel;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.JList;
import javax.swing.JScrollPane;
import javax.swing.SwingUtilities;
import javax.swing.WindowConstants;

/**
 * A window that lists how it was started: the arguments of its own start
 * and of every later start that velmar hands over in single-instance mode.
 */
public final class NotesApp {
    private static final DefaultListModel<String> STARTS = new DefaultListModel<>();

    private NotesApp() {
    }

    public static void main(String[] args) {
        log("main " + Arrays.toString(args) + " on Java " + System.getProperty("java.version")
                + " from " + System.getenv("KESTO_JVM_HOME"));
        SwingUtilities.invokeLater(() -> {
            JFrame frame = new JFrame("Velmar Notes");
            frame.setDefaultCloseOperation(WindowConstants.EXIT_ON_CLOSE);
            frame.add(new JLabel("Start the program again: its arguments appear below."),
                    BorderLayout.NORTH);
            frame.add(new JScrollPane(new JList<>(STARTS)), BorderLayout.CENTER);
            frame.setSize(480, 320);
            frame.setLocationRelativeTo(null);
            frame.setVisible(true);
            record("first start", args);
        });
    }

    /**
     * A later start of the same installation: velmar calls this on a thread
     * of its own, and the later start ends with exit code 0 at once.
     */
    public static void secondaryMain(String[] args) {
        log("secondaryMain " + Arrays.toString(args));
        SwingUtilities.invokeLater(() -> record("later start", args));
    }

    private static void record(String kind, String[] args) {
        STARTS.addElement(kind + ": " + Arrays.toString(args));
    }

    private static void log(String text) {
        String time = new SimpleDateFormat("HH:mm:ss.SSS").format(new Date());
        System.out.println(time + " " + text);
    }
}
