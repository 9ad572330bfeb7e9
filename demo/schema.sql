-- Tables of the suite read by the stock-inventory reports and written by the host's own
-- services. Portable SQL: the same script runs on SQLite and on PostgreSQL.
--   * codes are INTEGER; flags are INTEGER 0/1;
--   * DATE columns hold ISO text 'yyyy-mm-dd' on SQLite; TIMESTAMP 'yyyy-mm-dd hh:mm:ss';
--   * quantities and unit prices NUMERIC(15,4), amounts NUMERIC(15,2);
--   * inscriptions (CNPJ, CPF, state and municipal) are stored as digits only, without
--     punctuation; they are formatted when printed.
-- The column types matter: the data services type each result column by its declared type.

-- EMPRESA: one row per company.
--   TIPOINSCR 1 = CNPJ, 2 = CPF, 3 = CEI (kind of INSCRFEDERAL).
--   ATIVA 1 = the company may be reported on.
--   Registry-office data printed by the book terms: the board of trade (NOMEJUNTA, NIRE and
--   the date of the registration, DATAREGJUNTA) and, for companies registered at a registry
--   office instead, NOMECARTORIO, NUMREGCARTORIO and DATAREGCARTORIO.
CREATE TABLE EMPRESA (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  NOMEEMPRESA       VARCHAR(100) NOT NULL,
  NOMEFANTASIA      VARCHAR(60),
  TIPOINSCR         INTEGER      NOT NULL,
  INSCRFEDERAL      VARCHAR(14)  NOT NULL,
  INSCRESTAD        VARCHAR(20),
  INSCRMUNIC        VARCHAR(20),
  ENDERECO          VARCHAR(100),
  NUMERO            VARCHAR(10),
  COMPLEMENTO       VARCHAR(40),
  BAIRRO            VARCHAR(60),
  CIDADE            VARCHAR(60),
  UF                VARCHAR(2),
  CEP               VARCHAR(8),
  TELEFONE          VARCHAR(20),
  EMAIL             VARCHAR(80),
  NOMEJUNTA         VARCHAR(80),
  NIRE              VARCHAR(20),
  DATAREGJUNTA      DATE,
  NOMECARTORIO      VARCHAR(80),
  NUMREGCARTORIO    VARCHAR(20),
  DATAREGCARTORIO   DATE,
  DATAINICIOATIV    DATE,
  ATIVA             INTEGER      DEFAULT 1 NOT NULL,
  PRIMARY KEY (CODIGOEMPRESA)
);

-- ESTAB: establishments of a company, with their current registration data. CODIGOESTAB 1 is
--   the head office. DATAENCERATIV is NULL while the establishment is active; otherwise the
--   last day of its activity. TIPOINSCR as in EMPRESA.
--   For the EFD ICMS/IPI file (read by `stockreports efd`):
--   CODIGOMUNIBGE  the municipality's 7-digit IBGE code (0000 COD_MUN)
--   PERFILEFD      the file's profile 'A', 'B' or 'C' (0000 IND_PERFIL)
--   ATIVIDADEEFD   0 = industrial or treated as industrial, 1 = other (0000 IND_ATIV)
CREATE TABLE ESTAB (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  CODIGOESTAB       INTEGER      NOT NULL,
  NOMEESTAB         VARCHAR(100) NOT NULL,
  APELIDOESTAB      VARCHAR(40),
  TIPOINSCR         INTEGER      NOT NULL,
  INSCRFEDERAL      VARCHAR(14)  NOT NULL,
  INSCRESTAD        VARCHAR(20),
  INSCRMUNIC        VARCHAR(20),
  CODIGOATIVMUNIC   VARCHAR(20),
  ENDERECO          VARCHAR(100),
  NUMERO            VARCHAR(10),
  COMPLEMENTO       VARCHAR(40),
  BAIRRO            VARCHAR(60),
  CIDADE            VARCHAR(60),
  UF                VARCHAR(2),
  CEP               VARCHAR(8),
  DATAINICIOATIV    DATE         NOT NULL,
  DATAENCERATIV     DATE,
  CODIGOMUNIBGE     VARCHAR(7),
  PERFILEFD         VARCHAR(1)   DEFAULT 'A' NOT NULL,
  ATIVIDADEEFD      INTEGER      DEFAULT 1 NOT NULL,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOESTAB)
);

-- ESTABHISTORICO: registration data of an establishment valid from DATAVIGENCIA on (a change
--   of name, inscription or address). The row with the latest DATAVIGENCIA is the current one.
CREATE TABLE ESTABHISTORICO (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  CODIGOESTAB       INTEGER      NOT NULL,
  DATAVIGENCIA      DATE         NOT NULL,
  NOMEESTAB         VARCHAR(100) NOT NULL,
  TIPOINSCR         INTEGER      NOT NULL,
  INSCRFEDERAL      VARCHAR(14)  NOT NULL,
  INSCRESTAD        VARCHAR(20),
  INSCRMUNIC        VARCHAR(20),
  CODIGOATIVMUNIC   VARCHAR(20),
  ENDERECO          VARCHAR(100),
  CIDADE            VARCHAR(60),
  UF                VARCHAR(2),
  PRIMARY KEY (CODIGOEMPRESA, CODIGOESTAB, DATAVIGENCIA)
);

-- VESTABHISTORICOATUAL: the current data of each establishment: its latest history row, or
--   the establishment's own row when it has no history. Every column is a plain column of a
--   table, so a query over the view keeps the declared types (DATE stays DATE).
CREATE VIEW VESTABHISTORICOATUAL AS
SELECT E.CODIGOEMPRESA, E.CODIGOESTAB, H.NOMEESTAB, E.APELIDOESTAB, H.TIPOINSCR,
       H.INSCRFEDERAL, H.INSCRESTAD, H.INSCRMUNIC, H.CODIGOATIVMUNIC, H.ENDERECO, H.CIDADE,
       H.UF, E.DATAINICIOATIV, E.DATAENCERATIV, H.DATAVIGENCIA
  FROM ESTAB E
  INNER JOIN ESTABHISTORICO H
     ON H.CODIGOEMPRESA = E.CODIGOEMPRESA
    AND H.CODIGOESTAB = E.CODIGOESTAB
    AND H.DATAVIGENCIA = (SELECT MAX(H2.DATAVIGENCIA) FROM ESTABHISTORICO H2
                           WHERE H2.CODIGOEMPRESA = E.CODIGOEMPRESA
                             AND H2.CODIGOESTAB = E.CODIGOESTAB)
UNION ALL
SELECT E.CODIGOEMPRESA, E.CODIGOESTAB, E.NOMEESTAB, E.APELIDOESTAB, E.TIPOINSCR,
       E.INSCRFEDERAL, E.INSCRESTAD, E.INSCRMUNIC, E.CODIGOATIVMUNIC, E.ENDERECO, E.CIDADE,
       E.UF, E.DATAINICIOATIV, E.DATAENCERATIV, E.DATAINICIOATIV
  FROM ESTAB E
 WHERE NOT EXISTS (SELECT 1 FROM ESTABHISTORICO H3
                    WHERE H3.CODIGOEMPRESA = E.CODIGOEMPRESA
                      AND H3.CODIGOESTAB = E.CODIGOESTAB);

-- CFGEMPRESAINV: inventory configuration, one row per company.
--   QTDECASADECIMAL     decimals of unit prices (masks "##,###,##0." + that many zeros)
--   QTDECASADECIMALQTD  decimals of quantities
--   LIVROMODELO7        1 = the register is the book model 7 (NCM column, observations)
--   MASCCLASSIFFISCALPROD  picture of the NCM code, e.g. '9999.99.99'; its shape in zeros
--                       is printed for a product without NCM
--   LANCAICMSRECUP      1 = recoverable ICMS is kept per inventory line (VALORICMS)
--   DETALHARPISCOFINSITEM  1 = PIS and COFINS are kept per inventory line
--   PERIODOINVENTARIO   1 = monthly, 2 = quarterly, 3 = yearly inventory periods
CREATE TABLE CFGEMPRESAINV (
  CODIGOEMPRESA          INTEGER     NOT NULL,
  QTDECASADECIMAL        INTEGER     DEFAULT 2 NOT NULL,
  QTDECASADECIMALQTD     INTEGER     DEFAULT 2 NOT NULL,
  LIVROMODELO7           INTEGER     DEFAULT 0 NOT NULL,
  MASCCLASSIFFISCALPROD  VARCHAR(20),
  LANCAICMSRECUP         INTEGER     DEFAULT 0 NOT NULL,
  DETALHARPISCOFINSITEM  INTEGER     DEFAULT 0 NOT NULL,
  PERIODOINVENTARIO      INTEGER     DEFAULT 1 NOT NULL,
  PRIMARY KEY (CODIGOEMPRESA)
);

-- CFGEMPRESAGEM: general configuration, one row per company.
--   DESCRFOLHALIVRO  word for a page of the company's books ('FOLHAS', 'Páginas'...);
--                    NULL prints "Folha"
--   CODIGOCONTADOR   the accountant who signs the company's books (CONTADOR)
--   LOCALASSINATURA  place printed before the date of a term (usually the city)
CREATE TABLE CFGEMPRESAGEM (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  DESCRFOLHALIVRO   VARCHAR(20),
  CODIGOCONTADOR    INTEGER,
  LOCALASSINATURA   VARCHAR(60),
  PRIMARY KEY (CODIGOEMPRESA)
);

-- CONTROLELIVRO: book-control settings per company, establishment and book type
--   (TIPOLIVRO 11 = inventory register).
--   INCLIVROMES       months (1..12, separated by ';') at whose start a new book begins
--   FRENTEVERSO       1 = pages printed front and back
--   TIPOIMPNUMERACAO  0 = numbers on every page, 1 = on every other page (front sides)
--   LIMITEFOLHAS      page number at which a book is full
--   LEGENDAFOLHA      caption printed before the page number ("Folha")
CREATE TABLE CONTROLELIVRO (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  CODIGOESTAB       INTEGER      NOT NULL,
  TIPOLIVRO         INTEGER      NOT NULL,
  INCLIVROMES       VARCHAR(40),
  FRENTEVERSO       INTEGER      DEFAULT 0 NOT NULL,
  TIPOIMPNUMERACAO  INTEGER      DEFAULT 0 NOT NULL,
  LIMITEFOLHAS      INTEGER      DEFAULT 500 NOT NULL,
  LEGENDAFOLHA      VARCHAR(20)  DEFAULT 'Folha' NOT NULL,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO)
);

-- LIVRONUMERACAO: numbering implanted for a book: from DATAIMPLANTACAO on the book continues
--   at book NUMLIVRO after page ULTIMAFOLHA (0 = the book is new and starts at page 1).
CREATE TABLE LIVRONUMERACAO (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  CODIGOESTAB       INTEGER      NOT NULL,
  TIPOLIVRO         INTEGER      NOT NULL,
  DATAIMPLANTACAO   DATE         NOT NULL,
  NUMLIVRO          INTEGER      NOT NULL,
  ULTIMAFOLHA       INTEGER      DEFAULT 0 NOT NULL,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, DATAIMPLANTACAO)
);

-- LIVROPERIODO: periods of a book already printed with their numbering: the book and page
--   of the period's last numbered page. COMTERMOS 1 = that page is the book's closing term:
--   the book is closed and the next period opens the next book.
--   Numbering continues after the latest period.
CREATE TABLE LIVROPERIODO (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  CODIGOESTAB       INTEGER      NOT NULL,
  TIPOLIVRO         INTEGER      NOT NULL,
  DATAINICIAL       DATE         NOT NULL,
  DATAFINAL         DATE         NOT NULL,
  NUMLIVRO          INTEGER      NOT NULL,
  ULTIMAFOLHA       INTEGER      NOT NULL,
  COMTERMOS         INTEGER      DEFAULT 0 NOT NULL,
  DATAIMPRESSAO     TIMESTAMP    NOT NULL,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, DATAINICIAL)
);

-- CONTADOR: accountants who sign books (CRC registration and its state).
CREATE TABLE CONTADOR (
  CODIGOCONTADOR    INTEGER      NOT NULL,
  NOMECONTADOR      VARCHAR(100) NOT NULL,
  CPF               VARCHAR(11)  NOT NULL,
  CRC               VARCHAR(20)  NOT NULL,
  UFCRC             VARCHAR(2)   NOT NULL,
  EMAIL             VARCHAR(80),
  PRIMARY KEY (CODIGOCONTADOR)
);

-- SOCIO: partners and directors of a company who sign its books.
--   TIPOASSINANTE 1 = partner, 2 = director; QUALIFICACAO is the role printed under the name.
--   ASSINALIVROS 1 = signs the books; DATASAIDA NULL while still in office.
CREATE TABLE SOCIO (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  CODIGOSOCIO       INTEGER      NOT NULL,
  NOMESOCIO         VARCHAR(100) NOT NULL,
  CPF               VARCHAR(11)  NOT NULL,
  QUALIFICACAO      VARCHAR(60)  NOT NULL,
  TIPOASSINANTE     INTEGER      DEFAULT 1 NOT NULL,
  ASSINALIVROS      INTEGER      DEFAULT 1 NOT NULL,
  DATAENTRADA       DATE         NOT NULL,
  DATASAIDA         DATE,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOSOCIO)
);

-- GRUPOPRODUTO: the product-group tree of a company. CLASSIFGRUPOPRODUTO shows the place in
--   the tree: '01' (level 1), '01.001' (level 2), '01.001.002' (level 3); a group's parent is
--   its classification without the last '.' piece. TIPOGRUPOPRODUTO 1 = summary (holds
--   groups), 2 = analytic (holds products). CONTACTB: the stock account of its products.
CREATE TABLE GRUPOPRODUTO (
  CODIGOEMPRESA       INTEGER      NOT NULL,
  CODIGOGRUPOPRODUTO  INTEGER      NOT NULL,
  CLASSIFGRUPOPRODUTO VARCHAR(30)  NOT NULL,
  DESCRGRUPOPRODUTO   VARCHAR(60)  NOT NULL,
  TIPOGRUPOPRODUTO    INTEGER      NOT NULL,
  CONTACTB            INTEGER,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOGRUPOPRODUTO)
);
CREATE UNIQUE INDEX IX_GRUPOPRODUTO_CLASSIF ON GRUPOPRODUTO (CODIGOEMPRESA, CLASSIFGRUPOPRODUTO);

-- PRODUTO: products of a company. CODIGONCM is the NCM code as printed ('7318.15.00'),
--   NULL when unknown. CODIGOGRUPOPRODUTO is an analytic group of the same company.
--   TIPOITEM: the item's type in the EFD ICMS/IPI file (0200 TIPO_ITEM): 0 goods for resale,
--   1 raw material, 2 packaging, 3 work in progress, 4 finished product, 5 by-product,
--   6 intermediate product, 7 material for use and consumption, 8 fixed asset, 9 services,
--   10 other inputs, 99 other.
CREATE TABLE PRODUTO (
  CODIGOEMPRESA       INTEGER      NOT NULL,
  CODIGOPRODUTO       INTEGER      NOT NULL,
  DESCRPRODUTO        VARCHAR(120) NOT NULL,
  UNIDADEMEDIDA       VARCHAR(6)   NOT NULL,
  CODIGONCM           VARCHAR(10),
  CODIGOGRUPOPRODUTO  INTEGER      NOT NULL,
  ATIVO               INTEGER      DEFAULT 1 NOT NULL,
  DATACADASTRO        DATE,
  TIPOITEM            INTEGER      DEFAULT 0 NOT NULL,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOPRODUTO)
);
-- The products of a group by description, then code: the register walks groups, their
-- products and each product's lines without sorting (it puts each group's items in NCM order
-- itself: a nullable column in this index would make the database sort every line again).
CREATE UNIQUE INDEX IX_PRODUTO_GRUPO ON PRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, DESCRPRODUTO,
                                                 CODIGOPRODUTO);

-- TERCEIRO: third parties that hold the company's goods or whose goods the company holds.
--   TIPOINSCR 1 = CNPJ, 2 = CPF (kind of INSCRFEDERAL). For the EFD ICMS/IPI file (0150):
--   INSCRESTAD the state inscription, ENDERECO the street and number, CODIGOMUNIBGE the
--   municipality's 7-digit IBGE code.
CREATE TABLE TERCEIRO (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  CODIGOTERCEIRO    INTEGER      NOT NULL,
  NOMETERCEIRO      VARCHAR(100) NOT NULL,
  TIPOINSCR         INTEGER      NOT NULL,
  INSCRFEDERAL      VARCHAR(14)  NOT NULL,
  CIDADE            VARCHAR(60),
  UF                VARCHAR(2),
  INSCRESTAD        VARCHAR(20),
  ENDERECO          VARCHAR(100),
  CODIGOMUNIBGE     VARCHAR(7),
  PRIMARY KEY (CODIGOEMPRESA, CODIGOTERCEIRO)
);

-- UNIDADE: units of measure of the products (PRODUTO.UNIDADEMEDIDA) with their description
--   (the EFD file's 0190).
CREATE TABLE UNIDADE (
  UNIDADEMEDIDA     VARCHAR(6)   NOT NULL,
  DESCRUNIDADE      VARCHAR(60)  NOT NULL,
  PRIMARY KEY (UNIDADEMEDIDA)
);

-- PLANOESPEC: the company's chart of accounts. CONTACTB is the account's short code,
--   CLASSIFCONTA its place in the chart ('1.1.04.01'); TIPOCONTA 1 = summary, 2 = analytic.
CREATE TABLE PLANOESPEC (
  CODIGOEMPRESA     INTEGER      NOT NULL,
  CONTACTB          INTEGER      NOT NULL,
  CLASSIFCONTA      VARCHAR(30)  NOT NULL,
  DESCRCONTA        VARCHAR(80)  NOT NULL,
  TIPOCONTA         INTEGER      NOT NULL,
  PRIMARY KEY (CODIGOEMPRESA, CONTACTB)
);

-- LCTOINV: inventory lines: the stock of one product in one establishment at the inventory
--   date DATAINVENT.
--   MOTIVOINVENTARIO  1 = end of period, 2 = change of taxation, 3 = closing of the
--                     establishment, 4 = change of tax regime, 5 = required by the tax office
--   QTDEESTOQUE, PRECOUNIT, VALORTOTAL  quantity, unit price and their product rounded to
--                     cents
--   INDICADORPROPRIEDADE  0 = own stock in own power, 1 = own stock in third-party power,
--                     2 = third-party stock in own power; the line's main portion when the
--                     line has several (LCTOINVPROPRIEDADE)
--   CODIGOTERCEIRO    the third party of indicators 1 and 2
--   CONTACTB          the stock account (PLANOESPEC)
--   VALORICMS, VALORPIS, VALORCOFINS  recoverable taxes of the line (see CFGEMPRESAINV)
--   OBSLCTOINV        observation printed under the line in the book model 7
--   CSTICMS, BASEICMS the ICMS tax situation code (3 digits) and the ICMS base of the goods,
--                     for the EFD file's H020 of inventories taken for motives 2 to 5
CREATE TABLE LCTOINV (
  CODIGOEMPRESA         INTEGER       NOT NULL,
  CODIGOESTAB           INTEGER       NOT NULL,
  DATAINVENT            DATE          NOT NULL,
  CODIGOPRODUTO         INTEGER       NOT NULL,
  MOTIVOINVENTARIO      INTEGER       DEFAULT 1 NOT NULL,
  QTDEESTOQUE           NUMERIC(15,4) NOT NULL,
  PRECOUNIT             NUMERIC(15,4) NOT NULL,
  VALORTOTAL            NUMERIC(15,2) NOT NULL,
  INDICADORPROPRIEDADE  INTEGER       DEFAULT 0 NOT NULL,
  CODIGOTERCEIRO        INTEGER,
  CONTACTB              INTEGER,
  VALORICMS             NUMERIC(15,2) DEFAULT 0 NOT NULL,
  VALORPIS              NUMERIC(15,2) DEFAULT 0 NOT NULL,
  VALORCOFINS           NUMERIC(15,2) DEFAULT 0 NOT NULL,
  OBSLCTOINV            VARCHAR(200),
  CSTICMS               VARCHAR(3),
  BASEICMS              NUMERIC(15,2) DEFAULT 0 NOT NULL,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, MOTIVOINVENTARIO)
);
CREATE INDEX IX_LCTOINV_DATA ON LCTOINV (CODIGOEMPRESA, DATAINVENT);
CREATE INDEX IX_LCTOINV_PRODUTO ON LCTOINV (CODIGOEMPRESA, CODIGOPRODUTO);
-- One establishment's lines of a product by date, with every column the register prints: the
-- book reads them in its own order straight from this index, without visiting the table.
CREATE UNIQUE INDEX IX_LCTOINV_ESTAB_PRODUTO ON LCTOINV (CODIGOEMPRESA, CODIGOESTAB, CODIGOPRODUTO,
    DATAINVENT, MOTIVOINVENTARIO, QTDEESTOQUE, PRECOUNIT, VALORICMS, VALORPIS, VALORCOFINS,
    INDICADORPROPRIEDADE, CODIGOTERCEIRO, OBSLCTOINV);

-- LCTOINVPROPRIEDADE: ownership portions of an inventory line (same five key columns), one
--   row per portion SEQPROPRIEDADE 1, 2...; the portions' quantities add up to the line's,
--   and so do their values (VALORTOTAL) to the cent.
--   CONTACTB NULL: the portion's account was not given.
CREATE TABLE LCTOINVPROPRIEDADE (
  CODIGOEMPRESA         INTEGER       NOT NULL,
  CODIGOESTAB           INTEGER       NOT NULL,
  DATAINVENT            DATE          NOT NULL,
  CODIGOPRODUTO         INTEGER       NOT NULL,
  MOTIVOINVENTARIO      INTEGER       NOT NULL,
  SEQPROPRIEDADE        INTEGER       NOT NULL,
  INDICADORPROPRIEDADE  INTEGER       NOT NULL,
  CODIGOTERCEIRO        INTEGER,
  QUANTIDADE            NUMERIC(15,4) NOT NULL,
  PRECOUNIT             NUMERIC(15,4) NOT NULL,
  VALORTOTAL            NUMERIC(15,2) NOT NULL,
  CONTACTB              INTEGER,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, MOTIVOINVENTARIO,
               SEQPROPRIEDADE)
);
