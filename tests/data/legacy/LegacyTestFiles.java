// Writes the Access (Jet 4) files the import tests read beside the shared sample files: files that the
// import must refuse, one it must take with a notice, and a copy of small/Dorivan.mdb with a database
// password. Uses Jackcess (Apache-2.0) from the shared legacy folder:
//   javac -cp jackcess.jar:/usr/share/java/commons-lang3.jar:/usr/share/java/commons-logging.jar LegacyTestFiles.java
//   java -cp <same>:. LegacyTestFiles tests/data/legacy
// (Debian packages default-jdk-headless libcommons-lang3-java libcommons-logging-java). The tests use
// the files written here and do not need Java.
import com.healthmarketscience.jackcess.*;
import java.io.*;
import java.math.BigDecimal;
import java.nio.file.*;
import java.time.LocalDate;
import java.time.LocalDateTime;
import java.util.Arrays;

public class LegacyTestFiles {
  static ColumnBuilder text(String n) {
    return new ColumnBuilder(n, DataType.TEXT).setLengthInUnits(255).setCompressedUnicode(true);
  }
  static ColumnBuilder money(String n) { return new ColumnBuilder(n, DataType.MONEY); }
  static ColumnBuilder dbl(String n) { return new ColumnBuilder(n, DataType.DOUBLE); }
  static ColumnBuilder lng(String n) { return new ColumnBuilder(n, DataType.LONG); }
  static ColumnBuilder date(String n) { return new ColumnBuilder(n, DataType.SHORT_DATE_TIME); }
  static ColumnBuilder bool(String n) { return new ColumnBuilder(n, DataType.BOOLEAN); }
  static BigDecimal yen(long y) { return BigDecimal.valueOf(y); }
  static LocalDateTime day(int y, int m, int d) { return LocalDate.of(y, m, d).atStartOfDay(); }

  static Database create(File f) throws IOException {
    f.getParentFile().mkdirs();
    f.delete();
    Database db = new DatabaseBuilder(f).setFileFormat(Database.FileFormat.V2000).create();
    db.setDateTimeType(DateTimeType.LOCAL_DATE_TIME);
    return db;
  }

  static void payersAndSettings(Database db, boolean autoRegister) throws IOException {
    Table master = new TableBuilder("入金先マスタ").addColumn(text("入金先名")).toTable(db);
    master.addRow("株式会社山田商店");
    master.addRow("ＡＢＣ商事");
    Table s = new TableBuilder("自社情報").addColumn(text("年号")).addColumn(bool("入金先自動登録"))
        .addColumn(lng("LineColor1")).toTable(db);
    s.addRow("西暦", autoRegister, 255);
  }

  // Every value the import refuses, one per row, among good rows; 予定額 is a Double so that it can
  // hold an amount beyond the currency range.
  static void badValues(File dir) throws IOException {
    try (Database db = create(new File(dir, "Dorivan.mdb"))) {
      Table t = new TableBuilder("入金予定表").addColumn(date("日付")).addColumn(lng("行番号"))
          .addColumn(text("入金先名")).addColumn(dbl("予定額")).addColumn(money("入金額"))
          .addColumn(money("残高")).toTable(db);
      t.addRow(day(2017, 1, 5), 1, "株式会社山田商店", 1000.0, yen(0), yen(1000));
      t.addRow(day(1899, 12, 31), 2, "株式会社山田商店", 1000.0, yen(0), yen(2000));
      t.addRow(day(2100, 1, 1), 1, "株式会社山田商店", 1000.0, yen(0), yen(3000));
      t.addRow(day(2017, 1, 6), 0, "株式会社山田商店", 1000.0, yen(0), yen(4000));
      t.addRow(day(2017, 1, 7), 201, "株式会社山田商店", 1000.0, yen(0), yen(5000));
      t.addRow(day(2017, 1, 8), 3, "株式会社山田商店", 1e19, yen(0), yen(6000));
      // Each fits; their running balance does not.
      t.addRow(day(2017, 1, 9), 4, "ＡＢＣ商事", 900_000_000_000_000.0, yen(0), yen(0));
      t.addRow(day(2017, 1, 10), 5, "ＡＢＣ商事", 900_000_000_000_000.0, yen(0), yen(0));
      payersAndSettings(db, false);
    }
  }

  // 入金予定表 without 入金額, 自社情報 without LineColor1, and no 入金先マスタ at all.
  static void missingColumns(File dir) throws IOException {
    try (Database db = create(new File(dir, "Dorivan.mdb"))) {
      Table t = new TableBuilder("入金予定表").addColumn(date("日付")).addColumn(lng("行番号"))
          .addColumn(text("入金先名")).addColumn(money("予定額")).addColumn(money("残高")).toTable(db);
      t.addRow(day(2017, 1, 5), 1, "株式会社山田商店", yen(1000), yen(1000));
      new TableBuilder("自社情報").addColumn(text("年号")).addColumn(bool("入金先自動登録")).toTable(db)
          .addRow("西暦", false);
    }
  }

  // Three months, the middle one with 205 rows; three stored balances are one yen off the balance
  // rule. Registration on (Access keeps yes as -1). A work file with two hints.
  static void crowded(File dir) throws IOException {
    long balance = 0;
    try (Database db = create(new File(dir, "Dorivan.mdb"))) {
      Table t = new TableBuilder("入金予定表").addColumn(date("日付")).addColumn(lng("行番号"))
          .addColumn(text("入金先名")).addColumn(money("予定額")).addColumn(money("入金額"))
          .addColumn(money("残高")).toTable(db);
      int[][] months = {{2020, 1, 30}, {2020, 2, 205}, {2020, 3, 10}};
      int n = 0;
      for (int[] m : months) {
        for (int i = 1; i <= m[2]; i++, n++) {
          long plan = 1000 + n;
          long recv = n % 3 == 0 ? plan : 0;
          balance += plan - recv;
          long stored = (n == 10 || n == 100 || n == 240) ? balance + 1 : balance;
          int d = 1 + (i - 1) * 28 / m[2];
          t.addRow(day(m[0], m[1], d), Math.min(i, 200), n % 2 == 0 ? "株式会社山田商店" : "ＡＢＣ商事",
                   yen(plan), yen(recv), yen(stored));
        }
      }
      payersAndSettings(db, true);
    }
    try (Database db = create(new File(dir, "DorivanWork.mdb"))) {
      Table h = new TableBuilder("ClHint").addColumn(text("FormName")).addColumn(text("CtlName"))
          .addColumn(text("FormTitle"))
          .addColumn(new ColumnBuilder("Contents", DataType.MEMO).setCompressedUnicode(true)).toTable(db);
      h.addRow("FrmDorivan", "cmdHint", "入金予定表 Ver 1.02", "一行目\r\n二行目\tタブ");
      h.addRow("FrmDorivan", "cmdHint2", "入金予定表 Ver 1.02", null);
    }
  }

  // The database password sits in the header block that Access obscures with RC4 (key 0x6b39dac7) and,
  // in Jet 4, also with the creation date.
  static void rc4(byte[] b, int off, int len) {
    int[] key = {0xc7, 0xda, 0x39, 0x6b};
    int[] s = new int[256];
    for (int i = 0; i < 256; i++) s[i] = i;
    for (int i = 0, j = 0; i < 256; i++) {
      j = (j + s[i] + key[i % 4]) & 0xff;
      int t = s[i]; s[i] = s[j]; s[j] = t;
    }
    for (int n = 0, i = 0, j = 0; n < len; n++) {
      i = (i + 1) & 0xff;
      j = (j + s[i]) & 0xff;
      int t = s[i]; s[i] = s[j]; s[j] = t;
      b[off + n] ^= (byte) s[(s[i] + s[j]) & 0xff];
    }
  }

  static void withPassword(File source, File target, String password) throws IOException {
    target.getParentFile().mkdirs();
    byte[] file = Files.readAllBytes(source.toPath());
    rc4(file, 0x18, 128);
    long bits = 0;
    for (int i = 7; i >= 0; i--) bits = (bits << 8) | (file[0x72 + i] & 0xff);
    int days = (int) Double.longBitsToDouble(bits);
    byte[] pwd = password.getBytes("UTF-16LE");
    for (int i = 0; i < 40; i++) {
      byte p = i < pwd.length ? pwd[i] : 0;
      file[0x42 + i] = (byte) (p ^ (days >> (8 * (i % 4))));
    }
    rc4(file, 0x18, 128);
    Files.write(target.toPath(), file);
    try (Database db = new DatabaseBuilder(target).setReadOnly(true).open()) {
      if (!password.equals(db.getDatabasePassword()))
        throw new IOException("password not readable back: " + db.getDatabasePassword());
    }
  }

  // The header of an Access 97 file without a password (version 0, its 126-byte obscured block with a
  // blank password) on the first pages of small/Dorivan.mdb: a file that says it is Access 97 but
  // cannot be read as one. No tool at hand writes real Access 97 files.
  static void jet3Header(File source, File target) throws IOException {
    target.getParentFile().mkdirs();
    byte[] file = Arrays.copyOf(Files.readAllBytes(source.toPath()), 32768);
    rc4(file, 0x18, 128);
    file[0x14] = 0;
    for (int i = 0; i < 20; i++) file[0x42 + i] = 0;
    rc4(file, 0x18, 126);
    Files.write(target.toPath(), file);
  }

  public static void main(String[] a) throws Exception {
    File out = new File(a[0]);
    badValues(new File(out, "bad_values"));
    missingColumns(new File(out, "missing_columns"));
    crowded(new File(out, "crowded"));
    withPassword(new File(out, "small/Dorivan.mdb"), new File(out, "password/Dorivan.mdb"), "himitsu");
    jet3Header(new File(out, "small/Dorivan.mdb"), new File(out, "jet3_header/Dorivan.mdb"));
    System.out.println("written under " + out);
  }
}
