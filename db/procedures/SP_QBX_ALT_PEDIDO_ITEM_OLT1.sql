-- Changes an item's shipping date, part, order and quantity, puts it back to
-- status 509 and records the update (entity 260, operation 2). An unknown item
-- is refused with RETORNO 1 and nothing is written. The sixth argument is not
-- used.
CREATE PROCEDURE SP_QBX_ALT_PEDIDO_ITEM_OLT1 (@PEDIDO_ITEM_ID INTEGER, @DATA_EMBARQUE DATE, @PECA_ID INTEGER,
                                             @PEDIDO_ID INTEGER, @QTDE_PEDIDA INTEGER, @EMPRESA_ID INTEGER,
                                             @USUARIO_ID INTEGER)
AS
UPDATE PEDIDO_ITEM
   SET DATA_EMBARQUE = @DATA_EMBARQUE, PECA_ID = @PECA_ID, PEDIDO_ID = @PEDIDO_ID, QTDE_PEDIDA = @QTDE_PEDIDA,
       TAB_STATUS_ID = 509
 WHERE PEDIDO_ITEM_ID = @PEDIDO_ITEM_ID;
INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
SELECT 260, 2, @USUARIO_ID, @PEDIDO_ITEM_ID, julianday('now', 'localtime')
 WHERE changes() = 1;
SELECT CASE WHEN written = 1 THEN 0 ELSE 1 END AS RETORNO,
       CASE WHEN written = 1 THEN '' ELSE 'Item do pedido não encontrado.' END AS MSG_RET,
       @PEDIDO_ID AS PEDIDO_ID
  FROM (SELECT changes() AS written);
